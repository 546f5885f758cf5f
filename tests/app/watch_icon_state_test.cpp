// The watch's icon: its tooltip and menu from what the watch says, and the
// user's choices.
#include "app/watch_icon_state.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

using Kind = WatchIconState::MenuItem::Kind;

std::vector<std::string> Texts(const std::vector<WatchIconState::MenuItem>& menu) {
    std::vector<std::string> texts;
    for (const auto& item : menu) texts.push_back(item.kind == Kind::Separator ? "-" : item.text);
    return texts;
}

TEST(WatchIconStateTest, TheMenuListsTheLastCollectionsNewestFirstAndPausesAndQuits) {
    WatchIconState icon;
    icon.ShowState("Watching 2 ports");
    EXPECT_EQ(icon.Tooltip(), "Bayhaul collects terminals: Watching 2 ports");
    EXPECT_EQ(Texts(icon.Menu()),
              (std::vector<std::string>{"Watching 2 ports", "-", "Nothing collected yet", "-", "Pause", "Quit"}));

    icon.Journal("Watching the serial ports for terminals; Ctrl+C stops.");
    for (int i = 1; i <= 7; ++i)
        icon.Journal("08:0" + std::to_string(i) + ":00 COM3: saved /a/FORM0" + std::to_string(i) + ".DAT (9 bytes)");
    const std::vector<std::string> texts = Texts(icon.Menu());
    ASSERT_EQ(texts.size(), 2 + WatchIconState::kLastLines + 3);
    EXPECT_EQ(texts[2], "08:07:00 COM3: saved /a/FORM07.DAT (9 bytes)") << "newest first";
    EXPECT_EQ(texts[6], "08:03:00 COM3: saved /a/FORM03.DAT (9 bytes)") << "the five last";

    icon.Choose(Kind::PauseOrResume);
    EXPECT_TRUE(icon.Paused());
    EXPECT_EQ(icon.Menu().end()[-2].text, "Resume");
    icon.Choose(Kind::PauseOrResume);
    EXPECT_FALSE(icon.Paused());
    EXPECT_FALSE(icon.QuitChosen());
    icon.Choose(Kind::Quit);
    EXPECT_TRUE(icon.QuitChosen());
}

}  // namespace
}  // namespace bayhaul
