#include "qt/qt_locale_text.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

const LocalTime kMoment{2023, 12, 8, 10, 56, 3};

// The real locales' short dates, with the year in full and the rest as the
// locale writes it.
TEST(QtLocaleText, ShortDateHasAFourDigitYearInRealLocales) {
    EXPECT_EQ(QtLocaleText(QLocale("en_US")).ShortDate(kMoment), "12/8/2023");
    EXPECT_EQ(QtLocaleText(QLocale("de_DE")).ShortDate(kMoment), "08.12.2023");
    const std::string c = QtLocaleText(QLocale::c()).ShortDate(kMoment);
    EXPECT_NE(c.find("2023"), std::string::npos) << c;
    EXPECT_EQ(c.find("2323"), std::string::npos) << c;
    EXPECT_EQ(GeneralDateTime(kMoment, QtLocaleText(QLocale("en_US"))), "12/8/2023 10:56:03 AM");
}

}  // namespace
}  // namespace bayhaul
