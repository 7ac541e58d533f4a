// libFuzzer target: the text-to-number conversion, the time checks and the snooze check against
// a plain reference parser for the C locale. Any disagreement aborts with both results.
#include "numtext.h"
#include "snoozeentry.h"
#include "timeentry.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

namespace {

// Blanks, an optional sign, digits with at most one point (at least one digit), an optional
// exponent, blanks. Anything else is not a number.
std::optional<double> reference(const std::string &text, bool *undecided)
{
    static const std::regex number(
        R"(^[ \t\n\r\f\v]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)[ \t\n\r\f\v]*$)");
    std::smatch m;
    if (!std::regex_match(text, m, number))
        return std::nullopt;
    // Too large to hold is no number. Below the smallest normal double a conversion may round
    // to a denormal or give up: either answer is right.
    errno = 0;
    const double value = std::strtod(m[1].str().c_str(), nullptr);
    *undecided = errno == ERANGE && std::isfinite(value);
    if (errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The snooze box takes blanks around plain digits 0-9 worth 0 to 1440, leading zeros or not.
bool snoozeTaken(const std::string &text)
{
    static const std::regex digits(R"(^[ \t\n\r\f\v]*0*(\d{1,4})[ \t\n\r\f\v]*$)");
    std::smatch m;
    return std::regex_match(text, m, digits) && std::stoi(m[1].str()) <= 1440;
}

[[noreturn]] void disagree(const char *what, const std::string &text)
{
    std::fprintf(stderr, "disagreement in %s for \"%s\"\n", what, text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
            return 0;   // the reference speaks ASCII only
    }
    const QString qtext = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const QLocale c = QLocale::c();

    const auto got = toNumber(qtext, c);
    bool undecided = false;
    const auto want = reference(text, &undecided);
    if (undecided)
        return 0;
    if (got.has_value() != want.has_value() || (got && *got != *want))
        disagree("toNumber", text);

    const auto whole = toInt16(qtext, c);
    if (want) {
        const double r = roundHalfEven(*want);
        const bool fits = r >= -32768 && r <= 32767;
        if (whole.has_value() != fits || (whole && *whole != r))
            disagree("toInt16", text);
        if (std::abs(r - *want) > 0.5)
            disagree("roundHalfEven", text);
    } else if (whole) {
        disagree("toInt16 of no number", text);
    }

    const struct
    {
        TimeBox box;
        double high;
    } boxes[] = {{TimeBox::Hour, 12}, {TimeBox::Minute, 59}, {TimeBox::Second, 59}};
    for (const auto &box : boxes) {
        const bool refused = typingError(box.box, qtext, c).has_value();
        if (refused != (want && *want > box.high))
            disagree("typingError", text);
    }

    const TimeCheck check = checkAlarmTime(qtext, qtext, qtext, c);
    const bool accepted = whole && *whole >= 1 && *whole <= 12;
    if (check.time.has_value() != accepted)
        disagree("checkAlarmTime", text);

    if (snoozeError(qtext).has_value() == snoozeTaken(text))
        disagree("snoozeError", text);
    return 0;
}
