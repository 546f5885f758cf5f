// Desktop notifications on Linux: the freedesktop notification service on
// the user's session bus (org.freedesktop.Notifications), reached with Qt's
// D-Bus. Where no session bus answers, notices go nowhere, and nothing else
// changes. Used on the thread of the Qt application.
#pragma once

#include <string>

namespace bayhaul {

class DesktopNotifications {
public:
    DesktopNotifications();
    // Raises a notification whose summary is `text`; nothing waits for the service.
    void Show(const std::string& text) const;

private:
    bool connected_;
};

}  // namespace bayhaul
