#pragma once

#include "scanfile/scantree.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// Why a scan file could not be read, and the byte where reading stopped.
class ScanFileError : public std::runtime_error {
public:
    ScanFileError(const std::string &what, std::size_t offset)
        : std::runtime_error(what), m_offset(offset)
    {}
    std::size_t offset() const { return m_offset; }

private:
    std::size_t m_offset;
};

// Reads a scan file in ncdu's JSON export format (major version 1, as ncdu 1.x, ncdu 2.x and
// gdu write it) as a stream: the text is never held whole, only the tree it describes. Names
// keep their bytes, UTF-8 or not. Throws ScanFileError naming the byte offset for anything
// that is not such a file.
ScanTree readScanFile(int fd);
ScanTree readScanText(std::string_view text);
// "-" reads standard input.
ScanTree readScanPath(const std::string &path);
