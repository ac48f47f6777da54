#include "foldersize/sizetext.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

constexpr double Gigabyte = 1073741824.0;
constexpr double Megabyte = 1048576.0;
constexpr double Kilobyte = 1024.0;

// "#0.00" of a value of at least 1: two decimals, halves rounded away from zero, no
// thousands separator. The decision is taken on the exact binary value (1.125 is a true half
// and goes up; 1.00499999... is below one and goes down), so the digits are written out in
// full first: a value of at least 1 has at most 52 binary, hence 52 decimal, fraction digits.
std::string twoDecimals(double value)
{
    char digits[400];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 60);
    if (error != std::errc())
        return {};
    const std::string_view text(digits, std::size_t(end - digits));
    const std::size_t point = text.find('.');
    std::string rounded(text.substr(0, point + 3)); // "123.45"
    if (text[point + 3] >= '5') {
        std::size_t i = rounded.size();
        while (i-- > 0) {
            if (rounded[i] == '.')
                continue;
            if (rounded[i] != '9') {
                ++rounded[i];
                break;
            }
            rounded[i] = '0';
        }
        if (i == std::size_t(-1))
            rounded.insert(rounded.begin(), '1'); // 999.995 -> 1000.00
    }
    return rounded;
}

// The decimal separator of the LC_NUMERIC locale in force, which the program takes from the
// user's environment at start-up.
std::string_view decimalSeparator()
{
    const std::lconv *conventions = std::localeconv();
    if (!conventions || !conventions->decimal_point || !*conventions->decimal_point)
        return ".";
    return conventions->decimal_point;
}

std::string withUnit(double value, const char *unit)
{
    std::string text = twoDecimals(value);
    if (text.empty())
        return "0 Bytes";
    text.replace(text.find('.'), 1, decimalSeparator());
    return text + unit;
}

std::string wholeBytes(double x)
{
    const double whole = std::trunc(x);
    if (whole == 0)
        return "0 Bytes"; // -0.5 truncates to 0, which shows no sign
    char digits[400];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, whole, std::chars_format::fixed, 0);
    if (error != std::errc())
        return "0 Bytes";
    return std::string(digits, end) + " Bytes";
}

} // namespace

std::string SizeText(double x)
{
    try {
        if (!std::isfinite(x))
            return "0 Bytes";
        if (x >= Gigabyte)
            return withUnit(x / Kilobyte / Kilobyte / Kilobyte, " GB");
        if (x >= Megabyte)
            return withUnit(x / Kilobyte / Kilobyte, " MB");
        if (x >= Kilobyte)
            return withUnit(x / Kilobyte, " KB");
        return wholeBytes(x);
    } catch (...) {
        return "0 Bytes";
    }
}
