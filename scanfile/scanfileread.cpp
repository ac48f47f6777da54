#include "scanfile/scanfileread.h"

#include "scanfile/scanfilehandler.h"
#include "scanfile/scanfilestream.h"
#include "scanfile/scantreebuilder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void refuse(const std::string &reason, std::size_t offset)
{
    throw ScanFileError(reason + " at byte " + std::to_string(offset), offset);
}

// The reader keeps its own stack of open values on the heap, so no nesting reaches the C++
// stack; a tree too deep is refused by the builder.
ScanTree readStream(ScanFileStream &stream, std::size_t bytes)
{
    ScanTree tree;
    ScanTreeBuilder builder(tree);
    builder.reserveFor(bytes);
    ScanFileHandler handler(builder, stream);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result =
        reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler);
    if (!result) {
        if (!handler.reason().empty())
            refuse(handler.reason(), handler.reasonOffset());
        if (const int error = stream.readError())
            refuse(std::string("a read error (") + std::strerror(error) + ")", stream.Tell());
        if (stream.atEnd() || result.Code() == rapidjson::kParseErrorDocumentEmpty)
            refuse("an end before the scan is complete", result.Offset());
        if (result.Code() == rapidjson::kParseErrorDocumentRootNotSingular)
            refuse("text after the end of the scan", result.Offset());
        refuse(std::string("text that is not JSON (") + rapidjson::GetParseError_En(result.Code()) +
                   ")",
               result.Offset());
    }
    if (!handler.done())
        refuse("an end before the scan is complete", stream.Tell());
    builder.finish();
    return tree;
}

} // namespace

ScanTree readScanFile(int fd)
{
    // A regular file's length bounds what it holds; a pipe's is not known.
    struct stat st;
    const bool sized = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ScanFileStream stream(fd);
    return readStream(stream, sized ? std::size_t(st.st_size) : 0);
}

ScanTree readScanText(std::string_view text)
{
    ScanFileStream stream(text);
    return readStream(stream, text.size());
}

ScanTree readScanPath(const std::string &path)
{
    if (path == "-")
        return readScanFile(STDIN_FILENO);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ScanFileError(std::strerror(errno), 0);
    try {
        ScanTree tree = readScanFile(fd);
        ::close(fd);
        return tree;
    } catch (...) {
        ::close(fd);
        throw;
    }
}
