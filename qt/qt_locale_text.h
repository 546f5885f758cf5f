// Date and time texts from the user's locale, through QLocale.
#pragma once

#include "settings/locale_text.h"

#include <QLocale>
#include <QString>

namespace bayhaul {

class QtLocaleText final : public LocaleText {
public:
    // The locale the texts follow: the user's own unless a test names one.
    QtLocaleText() = default;
    explicit QtLocaleText(const QLocale& locale) : locale_(locale) {}

    std::string WeekdayName(const LocalTime& moment) const override;
    std::string ShortDate(const LocalTime& moment) const override;
    std::string LongTime(const LocalTime& moment) const override;
    std::string Number(long long value) const override;

private:
    QLocale locale_;
};

}  // namespace bayhaul
