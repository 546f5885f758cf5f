#include "settings/locale_text.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

// Qt's and Windows' short date pictures go through the same widening.
TEST(WithFourDigitYear, OnlyATwoDigitYearOutsideQuotesIsWidened) {
    EXPECT_EQ(WithFourDigitYear("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(WithFourDigitYear("dd.MM.yyyy"), "dd.MM.yyyy");
    EXPECT_EQ(WithFourDigitYear("yy-MM-dd 'yy' ''yy"), "yyyy-MM-dd 'yy' ''yyyy");
    EXPECT_EQ(WithFourDigitYear("d/M/yy"), "d/M/yyyy");
    EXPECT_EQ(WithFourDigitYear("dd.MM.yyy"), "dd.MM.yyy");  // not a two-digit year: as it stands
    EXPECT_EQ(WithFourDigitYear(""), "");
}

TEST(WithFourDigitYear, QuotedTextStaysLiteralUpToAnUnclosedQuote) {
    EXPECT_EQ(WithFourDigitYear("yy'year'MM"), "yyyy'year'MM");
    EXPECT_EQ(WithFourDigitYear("MM 'yy"), "MM 'yy");  // the quote never closes: all literal after it
    EXPECT_EQ(WithFourDigitYear("'it''s' yy"), "'it''s' yyyy");
}

}  // namespace
}  // namespace bayhaul
