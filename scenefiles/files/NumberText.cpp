#include "files/NumberText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace {

// The host may run under any locale (Qt adopts the user's at start-up), but the file
// always has a point as its decimal separator.
locale_t classicLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

constexpr bool isDigit(char c) {
    return static_cast<unsigned>(c - '0') < 10;
}

std::uint64_t digitValue(char c) {
    return static_cast<std::uint64_t>(c - '0');
}

// "%f" writes six digits after the point. When six digits follow, their value is put
// in *value at once: no loop whose end must be guessed, no chain of multiplications.
// Each character is looked at only once the one before it proved a digit, so the
// end of the text is never passed.
bool takeSixDigits(const char* text, std::uint64_t* value) {
    if (!(isDigit(text[0]) && isDigit(text[1]) && isDigit(text[2]) && isDigit(text[3]) &&
          isDigit(text[4]) && isDigit(text[5]))) {
        return false;
    }
    *value = digitValue(text[0]) * 100000 + digitValue(text[1]) * 10000 +
             digitValue(text[2]) * 1000 + digitValue(text[3]) * 100 + digitValue(text[4]) * 10 +
             digitValue(text[5]);
    return true;
}

} // namespace

std::string formatNumber(float value) {
    char text[64]; // "%f" of the largest float takes 47 characters
    const locale_t previous = ::uselocale(classicLocale() ? classicLocale() : LC_GLOBAL_LOCALE);
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    ::uselocale(previous);
    return text;
}

// A decimal of at most 15 digits, such as "%f" writes for any float of ordinary size,
// converted without the general parser: its digits as an integer and the power of ten
// it is to be divided by are both exact doubles, so the one division rounds the value to
// the nearest double, exactly as the general conversion does. False for anything else
// (blanks, a plus, exponents, more digits, words), which the general conversion reads.
bool readPlainDecimal(const char* text, double* value) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = *text == '-';
    const char* at = negative ? text + 1 : text;
    std::uint64_t digits = 0; // wraps for long runs of digits, which are refused below
    const char* const whole = at;
    while (isDigit(*at)) {
        digits = digits * 10 + digitValue(*at++);
    }
    const long wholeDigits = at - whole;
    long fraction = 0;
    if (*at == '.' && wholeDigits > 0) {
        const char* const afterPoint = ++at;
        std::uint64_t six = 0;
        if (takeSixDigits(at, &six)) {
            digits = digits * 1000000 + six;
            at += 6;
        }
        while (isDigit(*at)) {
            digits = digits * 10 + digitValue(*at++);
        }
        fraction = at - afterPoint;
    }
    if (*at != '\0' || wholeDigits == 0 || wholeDigits + fraction > 15) {
        return false;
    }
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[fraction];
    *value = negative ? -magnitude : magnitude;
    return true;
}

// atof: leading blanks, then the longest numeric prefix; no number reads as 0.
float parseNumber(const char* text) {
    double value = 0.0;
    if (!readPlainDecimal(text, &value)) {
        value = classicLocale() ? ::strtod_l(text, nullptr, classicLocale()) : std::atof(text);
    }
    return static_cast<float>(value);
}
