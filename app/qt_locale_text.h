// Date and time texts from the user's locale, through QLocale.
#pragma once

#include "app/locale_text.h"

namespace bayhaul {

class QtLocaleText final : public LocaleText {
public:
    std::string WeekdayName(const LocalTime& moment) const override;
    std::string ShortDate(const LocalTime& moment) const override;
    std::string LongTime(const LocalTime& moment) const override;
};

}  // namespace bayhaul
