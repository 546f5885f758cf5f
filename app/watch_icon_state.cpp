#include "app/watch_icon_state.h"

#include <regex>

namespace bayhaul {

void WatchIconState::Journal(const std::string& line) {
    // "18:02:11 COM3: ..." is about a port; the watch's other lines are not news for the menu.
    static const std::regex aboutAPort(R"(^\d\d:\d\d:\d\d COM\d+: .*)");
    if (!std::regex_match(line, aboutAPort)) return;
    last_.push_back(line);
    if (last_.size() > kLastLines) last_.pop_front();
}

std::string WatchIconState::Tooltip() const {
    return "Bayhaul collects terminals: " + state_;
}

std::vector<WatchIconState::MenuItem> WatchIconState::Menu() const {
    using Kind = MenuItem::Kind;
    std::vector<MenuItem> menu{{Kind::Text, state_}, {Kind::Separator, ""}};
    if (last_.empty()) menu.push_back({Kind::Text, "Nothing collected yet"});
    for (auto line = last_.rbegin(); line != last_.rend(); ++line) menu.push_back({Kind::Text, *line});
    menu.push_back({Kind::Separator, ""});
    menu.push_back({Kind::PauseOrResume, paused_ ? "Resume" : "Pause"});
    menu.push_back({Kind::Quit, "Quit"});
    return menu;
}

void WatchIconState::Choose(MenuItem::Kind kind) {
    if (kind == MenuItem::Kind::PauseOrResume) paused_ = !paused_;
    if (kind == MenuItem::Kind::Quit) quit_ = true;
}

}  // namespace bayhaul
