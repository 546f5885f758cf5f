// Date, time and number texts from the user's locale, through the Windows
// national-language functions, in the ANSI code page.
#pragma once

#include "settings/locale_text.h"

namespace bayhaul {

class Win32LocaleText final : public LocaleText {
public:
    std::string WeekdayName(const LocalTime& moment) const override;
    std::string ShortDate(const LocalTime& moment) const override;  // its year widened to four digits
    std::string LongTime(const LocalTime& moment) const override;
    std::string Number(long long value) const override;
    // In the ANSI code page, where a character is one byte or, in the East
    // Asian code pages, a lead byte and a trail byte.
    std::string FirstCharacters(const std::string& text, std::size_t count) const override;
};

}  // namespace bayhaul
