#include "qt/desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace bayhaul {

namespace {

// The desktop entry and icon the package installs.
const QString kDesktopEntry = QStringLiteral("org.bayhaul.Bayhaul");

}  // namespace

DesktopNotifications::DesktopNotifications() : connected_(QDBusConnection::sessionBus().isConnected()) {}

void DesktopNotifications::Show(const std::string& text) const {
    if (!connected_) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (the server's own)
    call << QStringLiteral("Bayhaul") << 0u << kDesktopEntry << QString::fromStdString(text) << QString()
         << QStringList() << QVariantMap{{QStringLiteral("desktop-entry"), kDesktopEntry}} << -1;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

}  // namespace bayhaul
