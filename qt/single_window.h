// One Bayhaul window per user on this machine. The first start holds a lock
// in a folder of the user's and listens on a local socket beside it; a
// later start finds the lock held, asks the running window through the
// socket to come to the front, and ends. The lock goes with its process, so
// a crash never keeps a later start from opening the window.
#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>
#include <string>

namespace bayhaul {

class SingleWindow final : public QObject {
public:
    // `folder` holds the lock and the socket; it is made when missing.
    explicit SingleWindow(std::string folder);
    ~SingleWindow() override;
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    // True when this process is to show the window. False when another one
    // shows it and has been asked to come to the front. A folder that cannot
    // be used, or a running window that does not answer, gives true: a start
    // that cannot hand over still gets a window.
    bool Claim();

    // What a later start's request does here, once Claim gave true.
    void OnRequest(std::function<void()> bringToFront);

private:
    bool AskRunningWindow() const;

    std::string folder_;
    int lock_ = -1;
    QLocalServer server_;
    std::function<void()> bringToFront_;
};

// The user's runtime folder ($XDG_RUNTIME_DIR/bayhaul), which is this
// machine's alone; without one, `stateFolder`.
std::string SingleWindowFolder(const std::string& stateFolder);

}  // namespace bayhaul
