#include "qt/watch_front_end_qt.h"

#include "app/watch_icon_state.h"
#include "qt/desktop_notifications.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

namespace bayhaul {

namespace {

bool DisplayNamed() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return true;
    }
    return false;
}

// What the watch shows, handed from its thread to the application's, where
// the icon and the notifications live.
class QtWatchDesktop final : public WatchDesktop {
public:
    explicit QtWatchDesktop(QCoreApplication& application) : application_(application) {
        if (qobject_cast<QApplication*>(&application) && QSystemTrayIcon::isSystemTrayAvailable()) ShowIcon();
    }

    void Journal(const std::string& line) override {
        OnApplication([this, line] {
            state_.Journal(line);
            Refresh();
        });
    }
    void Notify(const std::string& text) override {
        OnApplication([this, text] { notifications_.Show(text); });
    }
    void ShowState(const std::string& state) override {
        OnApplication([this, state] {
            state_.ShowState(state);
            Refresh();
        });
    }
    bool Paused() override { return paused_; }
    bool QuitAsked() override { return quit_; }
    // The display went away, and Qt ends the program: the watch stops first.
    void DisplayLost() { quit_ = true; }

private:
    template <typename Call>
    void OnApplication(Call call) {
        QMetaObject::invokeMethod(&application_, std::move(call), Qt::QueuedConnection);
    }

    void ShowIcon() {
        icon_ = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/about/icon16.png")));
        menu_ = std::make_unique<QMenu>();
        QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { FillMenu(); });
        icon_->setContextMenu(menu_.get());
        Refresh();
        icon_->show();
    }

    void FillMenu() {
        menu_->clear();
        using Kind = WatchIconState::MenuItem::Kind;
        for (const WatchIconState::MenuItem& item : state_.Menu()) {
            if (item.kind == Kind::Separator) {
                menu_->addSeparator();
                continue;
            }
            QAction* action = menu_->addAction(QString::fromStdString(item.text));
            if (item.kind == Kind::Text) {
                action->setEnabled(false);
                continue;
            }
            QObject::connect(action, &QAction::triggered, menu_.get(), [this, kind = item.kind] {
                state_.Choose(kind);
                paused_ = state_.Paused();
                quit_ = state_.QuitChosen();
            });
        }
    }

    void Refresh() {
        if (icon_) icon_->setToolTip(QString::fromStdString(state_.Tooltip()));
    }

    QCoreApplication& application_;
    const DesktopNotifications notifications_;
    WatchIconState state_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
    std::atomic<bool> paused_{false}, quit_{false};
};

// The running watch, for a program that ends under it: Qt ends it when its
// display goes away (the session's X server ends), and then the watch is
// stopped safely before the program goes.
QtWatchDesktop* runningDesktop = nullptr;
std::thread* runningWatch = nullptr;

void StopTheWatchFirst() {
    if (!runningWatch || !runningWatch->joinable()) return;
    runningDesktop->DisplayLost();
    runningWatch->join();
}

}  // namespace

int QtWatchFrontEnd::Run(const std::function<int(WatchDesktop& desktop)>& watch) {
    // A display that cannot be reached leaves the icon out rather than end the watch.
    if (DisplayNamed() && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", std::getenv("WAYLAND_DISPLAY") ? "wayland;xcb;offscreen" : "xcb;offscreen", 1);
    const std::unique_ptr<QCoreApplication> application =
        DisplayNamed() ? std::make_unique<QApplication>(argc_, argv_) : std::make_unique<QCoreApplication>(argc_, argv_);
    QCoreApplication::setApplicationName(QStringLiteral("Bayhaul"));
    int code = 0;
    {
        QtWatchDesktop desktop(*application);
        std::thread watching([&] {
            code = watch(desktop);
            QMetaObject::invokeMethod(application.get(), &QCoreApplication::quit, Qt::QueuedConnection);
        });
        runningDesktop = &desktop;
        runningWatch = &watching;
        std::atexit(StopTheWatchFirst);
        application->exec();
        watching.join();
        runningWatch = nullptr;
    }
    return code;
}

}  // namespace bayhaul
