#include "about/about_texts.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

TEST(AboutTexts, CaptionTitleAndVersionComeFromTheBuild) {
    const AboutTexts texts = ComposeAboutTexts(ThisBuild());
    EXPECT_EQ(texts.caption, "About Bayhaul");
    EXPECT_EQ(texts.title, "Bayhaul");
    EXPECT_EQ(texts.version, "Version 1.1.2");
}

TEST(AboutTexts, NumbersAreWrittenWithoutLeadingZeros) {
    EXPECT_EQ(ComposeAboutTexts({"X", 2, 10, 0}).version, "Version 2.10.0");
    EXPECT_EQ(ComposeAboutTexts({"X", 1, 1, 2}).caption, "About X");
}

}  // namespace
}  // namespace bayhaul
