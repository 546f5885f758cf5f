#include "qt/single_window.h"

#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace bayhaul {

namespace {

constexpr char kLockFile[] = "window.lock";
constexpr char kSocketFile[] = "window.socket";
constexpr char kRequest[] = "front\n";

}  // namespace

SingleWindow::SingleWindow(std::string folder) : folder_(std::move(folder)) {
    // A later start's request: read it and bring the window forward.
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (!peer->readAll().contains('\n')) return;
                peer->disconnectFromServer();
                if (bringToFront_) bringToFront_();
            });
        }
    });
}

SingleWindow::~SingleWindow() {
    server_.close();
    if (lock_ >= 0) ::close(lock_);  // which releases the lock
}

bool SingleWindow::Claim() {
    if (folder_.empty()) return true;  // nowhere to hold the lock
    std::error_code made;
    std::filesystem::create_directories(folder_, made);
    const std::string lockPath = folder_ + "/" + kLockFile;
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lock_ = fd;
        // A socket left by a process that ended without closing it is stale:
        // whoever listened there held the lock, which is now this process's.
        const QString socket = QString::fromStdString(folder_ + "/" + kSocketFile);
        QLocalServer::removeServer(socket);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        server_.listen(socket);
        return true;
    }
    ::close(fd);
    return !AskRunningWindow();
}

bool SingleWindow::AskRunningWindow() const {
    // The running one may have just taken the lock and not yet listen.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        QLocalSocket socket;
        socket.connectToServer(QString::fromStdString(folder_ + "/" + kSocketFile));
        if (socket.waitForConnected(1000)) {
            socket.write(kRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void SingleWindow::OnRequest(std::function<void()> bringToFront) {
    bringToFront_ = std::move(bringToFront);
}

std::string SingleWindowFolder(const std::string& stateFolder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/bayhaul";
    return stateFolder;
}

}  // namespace bayhaul
