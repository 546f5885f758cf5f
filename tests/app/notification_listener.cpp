// notification-listener: a desktop notification service for tests. It takes
// the name org.freedesktop.Notifications on the session bus that
// DBUS_SESSION_BUS_ADDRESS names, prints "ready" once it has it, then the
// summary of each notification it is sent, a line each.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

class NotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString&, const QStringList&,
                const QVariantMap&, int) {
        std::printf("%s\n", summary.toUtf8().constData());
        std::fflush(stdout);
        return ++last_;
    }

private:
    uint last_ = 0;
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    NotificationService service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notification-listener: %s\n", bus.lastError().message().toUtf8().constData());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

#include "notification_listener.moc"
