// The window's answer to SIGTERM, SIGHUP and SIGINT: it closes as its close
// button closes it, so a running press stops safely first instead of the
// program dying in the middle of a transfer.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace bayhaul {

class CloseOnSignals final : public QObject {
public:
    explicit CloseOnSignals(QWidget& window);

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace bayhaul
