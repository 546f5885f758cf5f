// Date, time and number texts in the user's language and formats. The window
// layer supplies the platform's locale; tests supply fixed texts.
#pragma once

#include "settings/local_time.h"

#include <string>

namespace bayhaul {

class LocaleText {
public:
    virtual ~LocaleText() = default;
    virtual std::string WeekdayName(const LocalTime& moment) const = 0;  // full name, e.g. "Friday"
    virtual std::string ShortDate(const LocalTime& moment) const = 0;    // e.g. "12/8/2023"
    virtual std::string LongTime(const LocalTime& moment) const = 0;     // e.g. "10:56:03 AM"
    virtual std::string Number(long long value) const = 0;               // e.g. "12,345"
    // The first `count` characters of a text in the locale's encoding,
    // never cutting one apart: UTF-8 unless a platform says otherwise.
    virtual std::string FirstCharacters(const std::string& text, std::size_t count) const;
};

// The general date-and-time text: short date, a blank and long time; the
// time is left out when it is exactly 00:00:00.
std::string GeneralDateTime(const LocalTime& moment, const LocaleText& locale);

// The main window's clock: the weekday's name cut to three characters,
// ", ", then the general date-and-time text, e.g. "Fri, 12/8/2023 10:56:03 AM".
std::string ClockText(const LocalTime& moment, const LocaleText& locale);

// A short date format with a two-digit year widened to four ("M/d/yy"
// becomes "M/d/yyyy"); everything else, quoted text included, stays as the
// locale has it. Qt's and Windows' date pictures share these rules: "yy" is
// the two-digit year, and text between single quotes is literal.
std::string WithFourDigitYear(const std::string& format);

}  // namespace bayhaul
