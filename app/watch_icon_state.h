// The watch's icon in the notification area, for the Qt and the Win32
// front ends alike: its tooltip and its menu, made from what the watch
// says (its state and its journal's lines), and the user's Pause. A front
// end draws the menu and forwards the choice; the watch asks Paused.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace bayhaul {

class WatchIconState {
public:
    // The last collections the menu lists, at most.
    static constexpr std::size_t kLastLines = 5;

    struct MenuItem {
        enum class Kind { Text, Separator, PauseOrResume, Quit } kind;
        std::string text;  // for Text and the two commands
    };

    void ShowState(const std::string& state) { state_ = state; }
    // A line of the watch's journal; those about a port are kept for the menu.
    void Journal(const std::string& line);

    std::string Tooltip() const;
    std::vector<MenuItem> Menu() const;
    void Choose(MenuItem::Kind kind);

    bool Paused() const { return paused_; }
    bool QuitChosen() const { return quit_; }

private:
    std::string state_ = "Starting";
    std::deque<std::string> last_;
    bool paused_ = false;
    bool quit_ = false;
};

}  // namespace bayhaul
