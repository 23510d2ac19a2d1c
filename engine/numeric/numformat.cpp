#include "engine/numeric/numformat.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace kivra {
namespace {

// to_chars never consults the locale, so a comma-decimal environment cannot
// change what goes into a label or a file.
std::string Fixed(double v, int digits) {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    return std::string(buf, r.ptr);
}

std::string Sci(double v, int digits) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits);
    return std::string(buf, r.ptr);
}

// The last digit of the mantissa as printed: before the "e" when there is one.
char LastDigit(const std::string& s) {
    auto e = s.find('e');
    std::size_t end = e == std::string::npos ? s.size() : e;
    return end > 0 ? s[end - 1] : '\0';
}

std::string FormatNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return "0.00";
    const double a = std::fabs(value);
    if (a < 0.01 || a >= 100000) {
        std::string s = Sci(value, 3);
        if (LastDigit(s) == '0') s = Sci(value, 2);
        return s;
    }
    if (a < 0.1) {
        std::string s = Fixed(value, 5);
        if (LastDigit(s) == '0') {
            s = Fixed(value, 4);
            if (LastDigit(s) == '0') s = Fixed(value, 3);
        }
        return s;
    }
    if (a < 1) {
        std::string s = Fixed(value, 4);
        if (LastDigit(s) == '0') s = Fixed(value, 3);
        return s;
    }
    if (a < 10) {
        std::string s = Fixed(value, 3);
        if (LastDigit(s) == '0') s = Fixed(value, 2);
        return s;
    }
    if (a < 100) return Fixed(value, 2);
    if (a < 1000) return Fixed(value, 1);
    return Fixed(value, 0);
}

// Typed values rarely reach this many significant digits; of computed doubles
// about one in a hundred thousand reads back with fewer.
constexpr int TypedDigits = 12;

} // namespace

std::string FormatValue(const std::string& prefix, double value) {
    return prefix + FormatNumber(value);
}

bool IsComputedNumber(double value) {
    if (!std::isfinite(value)) return false;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    int digits = 0;
    for (const char* c = buf; c != r.ptr && *c != 'e'; ++c) digits += *c >= '0' && *c <= '9';
    return digits >= TypedDigits;
}

char* FormatValue(char* buffer, std::size_t size, const char* prefix, double value) {
    if (size == 0) return buffer;
    const std::string s = FormatValue(std::string(prefix ? prefix : ""), value);
    const std::size_t n = s.size() < size - 1 ? s.size() : size - 1;
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return buffer;
}

} // namespace kivra
