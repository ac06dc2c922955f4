#pragma once

#include "app/SessionLockState.h"

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace mvx::ui {

// Where the program looks for its login session besides asking logind by
// its process id. The defaults are the real environment's.
struct LoginSessionHints {
    QString xdgSessionId = qEnvironmentVariable("XDG_SESSION_ID");
    QString auditSessionFile = QStringLiteral("/proc/self/sessionid");
};

// Hears every report of the session's lock on D-Bus and hands each on
// unjudged: logind's Lock and Unlock signals and LockedHint of the session
// (system bus), ActiveChanged of org.freedesktop.ScreenSaver and
// org.gnome.ScreenSaver (session bus), and logind's PrepareForSleep.
class SessionLockSignals : public QObject {
    Q_OBJECT
public:
    struct Reports {
        std::function<void(LockSource)> locked;
        std::function<void(LockSource)> unlocked;
        std::function<void(bool starting)> sleep;
        // Shown by logind for the delay taken before each sleep, so that the
        // sleep report is handled before the machine sleeps; none without it.
        QString sleepDelayReason;
    };

    SessionLockSignals(Reports reports, const LoginSessionHints& hints, QObject* parent = nullptr);

    // The session's object path on the system bus; empty when none was found.
    const QString& sessionPath() const { return sessionPath_; }
    // The sources that were there at the start, for the user to see.
    QStringList sourcesFound() const;
    // Reports the locks already there (a session locked before the program
    // started): logind's LockedHint and each screen saver's GetActive.
    void reportLocksHeld();

private slots:
    void logindLock();
    void logindUnlock();
    void sessionPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void freedesktopActiveChanged(bool active);
    void gnomeActiveChanged(bool active);
    void prepareForSleep(bool starting);

private:
    QString findSession(const LoginSessionHints& hints) const;
    void connectLogind(const LoginSessionHints& hints);
    void connectScreenSavers();
    void report(LockSource source, bool locked);
    void delaySleep();

    Reports reports_;
    QString sessionPath_;
    bool logindThere_ = false;
    QStringList screenSaversThere_;
    // logind waits (up to its InhibitDelayMaxSec) until this is closed.
    QDBusUnixFileDescriptor sleepDelay_;
};

} // namespace mvx::ui
