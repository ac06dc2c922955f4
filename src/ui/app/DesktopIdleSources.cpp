#include "ui/app/DesktopIdleSources.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDateTime>

namespace mvx::ui {

namespace {

const QString kMutterIdle = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kLogind = QStringLiteral("org.freedesktop.login1");
// Asked every second: a slow service gives way to the next source.
constexpr int kCallTimeoutMs = 250;

bool onWayland()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland");
}

std::optional<QVariant> firstAnswer(QDBusConnection bus, QDBusMessage message)
{
    message.setAutoStartService(false);
    const QDBusMessage reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst();
}

std::optional<int64_t> mutterIdleSeconds()
{
    const QString core = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
    const auto call = QDBusMessage::createMethodCall(kMutterIdle, core, kMutterIdle, QStringLiteral("GetIdletime"));
    const auto idle = firstAnswer(QDBusConnection::sessionBus(), call);
    if (!idle)
        return std::nullopt;
    return static_cast<int64_t>(idle->toULongLong() / 1000);
}

std::optional<QVariant> sessionProperty(const QString& path, const QString& name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(kLogind, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({QStringLiteral("org.freedesktop.login1.Session"), name});
    const auto value = firstAnswer(QDBusConnection::systemBus(), get);
    if (!value)
        return std::nullopt;
    return qvariant_cast<QDBusVariant>(*value).variant();
}

// IdleSinceHint is when the hint last changed. While the session is not
// idle the user has been at the desktop since then; while it is idle the
// last input lay some time before it, unknown here, so only the program's
// own input counts.
std::optional<int64_t> logindIdleSeconds(const QString& path)
{
    const auto idle = sessionProperty(path, QStringLiteral("IdleHint"));
    if (!idle || idle->toBool())
        return std::nullopt;
    const auto since = sessionProperty(path, QStringLiteral("IdleSinceHint"));
    const qint64 sinceUs = since ? static_cast<qint64>(since->toULongLong()) : 0;
    if (sinceUs <= 0)
        return std::nullopt;
    const qint64 nowUs = QDateTime::currentMSecsSinceEpoch() * 1000;
    return std::max<int64_t>(0, (nowUs - sinceUs) / 1000000);
}

bool registered(QDBusConnection bus, const QString& name)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(name);
}

} // namespace

DesktopIdleSources::DesktopIdleSources(const QString& sessionPath) : sessionPath_(sessionPath)
{
    add(QStringLiteral("X11 screen saver extension"), !onWayland() && x11_.seconds().has_value(),
        [this] { return x11_.seconds(); });
    add(kMutterIdle, registered(QDBusConnection::sessionBus(), kMutterIdle), mutterIdleSeconds);
    wayland_ = WaylandIdleNotify::connect();
    add(QStringLiteral("ext-idle-notify-v1"), wayland_ != nullptr, [this] { return wayland_->seconds(); });
    add(QStringLiteral("logind IdleHint"), !sessionPath_.isEmpty() && sessionProperty(sessionPath_, "IdleHint"),
        [this] { return logindIdleSeconds(sessionPath_); });
}

void DesktopIdleSources::add(const QString& name, bool there, IdleSourceChain::Probe probe)
{
    if (!there)
        return;
    found_ << name;
    chain_.add(name.toStdString(), std::move(probe));
}

} // namespace mvx::ui
