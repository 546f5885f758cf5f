#include "qt/qt_close_on_signals.h"

#include <QSocketNotifier>
#include <QWidget>

#include <errno.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bayhaul {

namespace {

// The signal handler may only write to a descriptor; the event loop reads
// the other end and does the rest.
int gSignalWriteEnd = -1;

void Forward(int signal) {
    const int savedErrno = errno;  // the interrupted code may be about to read it
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(gSignalWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

CloseOnSignals::CloseOnSignals(QWidget& window) : QObject(&window) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) return;
    gSignalWriteEnd = ends[0];
    notifier_ = new QSocketNotifier(ends[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [&window, readEnd = ends[1]] {
        char byte = 0;
        while (::read(readEnd, &byte, 1) > 0) {
        }
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace bayhaul
