// What a watch shows of itself besides its journal, and what the user asks
// of it, where there is a desktop: a notification for each collection, an
// icon in the notification area with its state, its last collections, and
// Pause, Resume and Quit. Each front end has its own; a bare command line
// has none. The watch calls these on its own thread.
#pragma once

#include <string>

namespace bayhaul {

class WatchDesktop {
public:
    virtual ~WatchDesktop() = default;

    // Each line of the journal as the watch writes it ("18:02:11 COM3: saved ...").
    virtual void Journal(const std::string& line) = 0;
    // A collection that saved a file or failed, in a few words for a
    // notification: "COM3: saved FORM02.DAT, 12,345 bytes".
    virtual void Notify(const std::string& text) = 0;
    // What the watch is doing now: "Watching 4 ports", "Collecting COM3".
    virtual void ShowState(const std::string& state) = 0;

    // Paused, the watch probes and collects nothing and leaves the ports to
    // any press; asked at least every 100 ms, as QuitAsked is.
    virtual bool Paused() = 0;
    virtual bool QuitAsked() = 0;
};

// A watch on a bare command line: nothing more is shown, nothing asked.
class NoWatchDesktop final : public WatchDesktop {
public:
    void Journal(const std::string&) override {}
    void Notify(const std::string&) override {}
    void ShowState(const std::string&) override {}
    bool Paused() override { return false; }
    bool QuitAsked() override { return false; }
};

}  // namespace bayhaul
