#include "scanfile/scanentrytext.h"

#include <charconv>
#include <cstdint>

namespace {

void appendNumber(std::string &out, std::uint64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendField(std::string &out, const char *key, std::uint64_t value)
{
    out += key;
    appendNumber(out, value);
}

} // namespace

void ScanEntryText::appendName(std::string &out, std::string_view name)
{
    static const char Hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += Hex[byte >> 4];
            out += Hex[byte & 15];
        } else {
            out += c; // bytes that are not UTF-8 stay as they are, as ncdu writes them
        }
    }
    out += '"';
}

void ScanEntryText::append(std::string &out, std::string_view name, const struct stat &st,
                           bool newDevice, Kind kind)
{
    out += "{\"name\":";
    appendName(out, name);
    if (kind == Kind::PseudoFilesystem) {
        out += ",\"excluded\":\"kernfs\"}";
        return;
    }
    if (st.st_size > 0)
        appendField(out, ",\"asize\":", std::uint64_t(st.st_size));
    if (st.st_blocks > 0)
        appendField(out, ",\"dsize\":", std::uint64_t(st.st_blocks) * 512);
    if (newDevice)
        appendField(out, ",\"dev\":", std::uint64_t(st.st_dev));
    if (kind == Kind::File && st.st_nlink > 1) {
        appendField(out, ",\"ino\":", std::uint64_t(st.st_ino));
        out += ",\"hlnkc\":true";
        appendField(out, ",\"nlink\":", std::uint64_t(st.st_nlink));
    }
    if (kind == Kind::File && !S_ISREG(st.st_mode))
        out += ",\"notreg\":true";
    if (kind == Kind::Unreadable)
        out += ",\"read_error\":true";
    out += '}';
}
