#include "ui/app/SessionLockSignals.h"

#include "app/LoginSessionIds.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QFile>

#include <unistd.h>

namespace mvx::ui {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kFreedesktopSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kGnomeSaver = QStringLiteral("org.gnome.ScreenSaver");
// Some desktops offer it at the short path as well or only.
const QStringList kFreedesktopSaverPaths = {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")};
// A stuck service must not hold the window up.
constexpr int kCallTimeoutMs = 2000;

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kLogind, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return QDBusConnection::systemBus().call(message, QDBus::Block, kCallTimeoutMs);
}

QString pathReply(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
}

// The session's Id, read from its object: also the check that the object is there.
QString sessionId(const QString& path)
{
    const QDBusMessage reply = call(path, kProperties, QStringLiteral("Get"), {kSession, QStringLiteral("Id")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toString();
}

QString sessionById(const QString& id)
{
    const QString path = pathReply(call(kLogindPath, kManager, QStringLiteral("GetSession"), {id}));
    return !path.isEmpty() && !sessionId(path).isEmpty() ? path : QString();
}

bool sessionLocked(const QString& path)
{
    const QDBusMessage reply = call(path, kProperties, QStringLiteral("Get"), {kSession, QStringLiteral("LockedHint")});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

bool screenSaverActive(const QString& service, const QStringList& paths)
{
    for (const QString& path : paths) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetActive"));
        message.setAutoStartService(false);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, kCallTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            return reply.arguments().constFirst().toBool();
    }
    return false;
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.read(64)) : QString();
}

} // namespace

SessionLockSignals::SessionLockSignals(Reports reports, const LoginSessionHints& hints, QObject* parent)
    : QObject(parent), reports_(std::move(reports))
{
    connectLogind(hints);
    connectScreenSavers();
}

QString SessionLockSignals::findSession(const LoginSessionHints& hints) const
{
    const QString byProcess =
        pathReply(call(kLogindPath, kManager, QStringLiteral("GetSessionByPID"), {static_cast<uint>(::getpid())}));
    if (!byProcess.isEmpty())
        return byProcess;
    for (const std::string& id :
         loginSessionIds(hints.xdgSessionId.toStdString(), readFile(hints.auditSessionFile).toStdString())) {
        const QString path = sessionById(QString::fromStdString(id));
        if (!path.isEmpty())
            return path;
    }
    // "auto" names the caller's session for calls only: signals come from
    // the session's own path.
    const QString automatic = sessionId(kLogindPath + QStringLiteral("/session/auto"));
    return automatic.isEmpty() ? QString() : sessionById(automatic);
}

void SessionLockSignals::connectLogind(const LoginSessionHints& hints)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kLogind))
        return;
    logindThere_ = true;
    bus.connect(kLogind, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    delaySleep();
    sessionPath_ = findSession(hints);
    if (sessionPath_.isEmpty())
        return;
    bus.connect(kLogind, sessionPath_, kSession, QStringLiteral("Lock"), this, SLOT(logindLock()));
    bus.connect(kLogind, sessionPath_, kSession, QStringLiteral("Unlock"), this, SLOT(logindUnlock()));
    bus.connect(kLogind, sessionPath_, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(sessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void SessionLockSignals::connectScreenSavers()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // A repeat from the second path changes nothing.
    for (const QString& path : kFreedesktopSaverPaths)
        bus.connect(kFreedesktopSaver, path, kFreedesktopSaver, QStringLiteral("ActiveChanged"), this,
                    SLOT(freedesktopActiveChanged(bool)));
    bus.connect(kGnomeSaver, QStringLiteral("/org/gnome/ScreenSaver"), kGnomeSaver, QStringLiteral("ActiveChanged"),
                this, SLOT(gnomeActiveChanged(bool)));
    for (const QString& name : {kFreedesktopSaver, kGnomeSaver})
        if (bus.interface()->isServiceRegistered(name))
            screenSaversThere_ << name;
}

QStringList SessionLockSignals::sourcesFound() const
{
    QStringList found;
    if (!sessionPath_.isEmpty())
        found << QStringLiteral("logind %1 (Lock, LockedHint)").arg(sessionPath_);
    if (logindThere_)
        found << QStringLiteral("logind PrepareForSleep");
    return found + screenSaversThere_;
}

void SessionLockSignals::reportLocksHeld()
{
    if (!sessionPath_.isEmpty() && sessionLocked(sessionPath_))
        report(LockSource::LogindLockedHint, true);
    if (screenSaversThere_.contains(kFreedesktopSaver) && screenSaverActive(kFreedesktopSaver, kFreedesktopSaverPaths))
        report(LockSource::FreedesktopScreenSaver, true);
    if (screenSaversThere_.contains(kGnomeSaver) &&
        screenSaverActive(kGnomeSaver, {QStringLiteral("/org/gnome/ScreenSaver")}))
        report(LockSource::GnomeScreenSaver, true);
}

void SessionLockSignals::report(LockSource source, bool locked)
{
    const auto& hand = locked ? reports_.locked : reports_.unlocked;
    if (hand)
        hand(source);
}

void SessionLockSignals::logindLock() { report(LockSource::LogindSignal, true); }

void SessionLockSignals::logindUnlock() { report(LockSource::LogindSignal, false); }

void SessionLockSignals::sessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                  const QStringList&)
{
    const auto hint = changed.constFind(QStringLiteral("LockedHint"));
    if (interface == kSession && hint != changed.constEnd())
        report(LockSource::LogindLockedHint, hint->toBool());
}

void SessionLockSignals::freedesktopActiveChanged(bool active) { report(LockSource::FreedesktopScreenSaver, active); }

void SessionLockSignals::gnomeActiveChanged(bool active) { report(LockSource::GnomeScreenSaver, active); }

void SessionLockSignals::delaySleep()
{
    if (reports_.sleepDelayReason.isEmpty())
        return;
    const QDBusMessage reply =
        call(kLogindPath, kManager, QStringLiteral("Inhibit"),
             {QStringLiteral("sleep"), QCoreApplication::applicationName(), reports_.sleepDelayReason,
              QStringLiteral("delay")});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        sleepDelay_ = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
}

void SessionLockSignals::prepareForSleep(bool starting)
{
    if (reports_.sleep)
        reports_.sleep(starting);
    // Handled: the machine may sleep now. Awake again, the next sleep waits too.
    if (starting)
        sleepDelay_ = QDBusUnixFileDescriptor();
    else
        delaySleep();
}

} // namespace mvx::ui
