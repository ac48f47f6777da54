#include "foldersize/foldersize.h"

#include "foldersize/sizescan.h"

SizeAmount FolderSize(const std::string &path)
{
    return FolderSizeUsing(path, nullptr);
}

SizeAmount FolderSizeUsing(const std::string &path, std::shared_ptr<ScanSystem> system,
                           std::shared_ptr<SizeMemory> memory)
{
    try {
        SizeScanOptions options;
        options.system = std::move(system);
        options.memory = std::move(memory);
        return SizeScanTotals({path}, std::move(options)).front().bytes;
    } catch (...) {
        return {}; // out of memory: nothing leaves the scanner
    }
}

std::string TrimAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}
