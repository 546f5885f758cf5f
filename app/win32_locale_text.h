// Date, time and number texts from the user's locale, through the Windows
// national-language functions, in the ANSI code page.
#pragma once

#include "app/locale_text.h"

namespace bayhaul {

class Win32LocaleText final : public LocaleText {
public:
    std::string WeekdayName(const LocalTime& moment) const override;
    std::string ShortDate(const LocalTime& moment) const override;  // its year widened to four digits
    std::string LongTime(const LocalTime& moment) const override;
    std::string Number(long long value) const override;
};

}  // namespace bayhaul
