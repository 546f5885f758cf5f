#include "win32/win32_locale_text.h"

#include <windows.h>

#include <cstdlib>

namespace bayhaul {

namespace {

SYSTEMTIME SystemTimeOf(const LocalTime& moment) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(moment.year);
    time.wMonth = static_cast<WORD>(moment.month);
    time.wDay = static_cast<WORD>(moment.day);
    time.wHour = static_cast<WORD>(moment.hour);
    time.wMinute = static_cast<WORD>(moment.minute);
    time.wSecond = static_cast<WORD>(moment.second);
    return time;
}

// One text of the NLS functions, which take the buffer size and give the
// length written with its NUL, or 0 on failure.
template <typename Fill>
std::string NlsText(Fill fill) {
    char buffer[256];
    const int written = fill(buffer, static_cast<int>(sizeof buffer));
    return written > 0 ? std::string(buffer, static_cast<std::size_t>(written - 1)) : std::string();
}

std::string LocaleInfo(LCTYPE item) {
    return NlsText([item](char* buffer, int size) { return GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer, size); });
}

// The day of the week, which GetDateFormat takes from the SYSTEMTIME and
// never works out itself.
WORD DayOfWeek(const LocalTime& moment) {
    SYSTEMTIME time = SystemTimeOf(moment);
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    FileTimeToSystemTime(&file, &time);
    return time.wDayOfWeek;
}

}  // namespace

std::string Win32LocaleText::WeekdayName(const LocalTime& moment) const {
    SYSTEMTIME time = SystemTimeOf(moment);
    time.wDayOfWeek = DayOfWeek(moment);
    return NlsText([&time](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, "dddd", buffer, size);
    });
}

std::string Win32LocaleText::ShortDate(const LocalTime& moment) const {
    const SYSTEMTIME time = SystemTimeOf(moment);
    const std::string format = WithFourDigitYear(LocaleInfo(LOCALE_SSHORTDATE));
    return NlsText([&](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, format.empty() ? nullptr : format.c_str(), buffer,
                              size);
    });
}

std::string Win32LocaleText::LongTime(const LocalTime& moment) const {
    const SYSTEMTIME time = SystemTimeOf(moment);
    return NlsText([&time](char* buffer, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, size);
    });
}

std::string Win32LocaleText::Number(long long value) const {
    // The locale's grouping and separators, with no decimals.
    std::string decimal = LocaleInfo(LOCALE_SDECIMAL);
    std::string thousand = LocaleInfo(LOCALE_STHOUSAND);
    const std::string grouping = LocaleInfo(LOCALE_SGROUPING);  // e.g. "3;0" or "3;2;0"
    NUMBERFMTA format = {};
    format.NumDigits = 0;
    format.LeadingZero = 1;
    // "3;0" repeats groups of three (3); "3;2;0" is three then twos (32).
    format.Grouping = static_cast<UINT>(std::atoi(grouping.c_str()));
    const std::size_t second = grouping.find(';');
    if (second != std::string::npos && grouping.compare(second, 3, ";2;") == 0) format.Grouping = 32;
    format.lpDecimalSep = decimal.data();
    format.lpThousandSep = thousand.data();
    format.NegativeOrder = static_cast<UINT>(std::atoi(LocaleInfo(LOCALE_INEGNUMBER).c_str()));
    const std::string digits = std::to_string(value);
    const std::string text = NlsText([&](char* buffer, int size) {
        return GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits.c_str(), &format, buffer, size);
    });
    return text.empty() ? digits : text;
}

std::string Win32LocaleText::FirstCharacters(const std::string& text, std::size_t count) const {
    const char* end = text.c_str();
    for (std::size_t seen = 0; seen < count && *end != '\0'; ++seen) end = CharNextExA(CP_ACP, end, 0);
    return std::string(text.c_str(), end);
}

}  // namespace bayhaul
