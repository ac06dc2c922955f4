#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <string>
#include <vector>

namespace mvx::test {

// Two private message buses for the whole test program, one standing in for
// the system bus and one for the session bus. Started before the first
// connection is made (the program's buses are fixed at that moment) and
// stopped at exit.
class PrivateBuses {
public:
    // False with a message on stderr when dbus-daemon could not start.
    static bool start();
    static void stop();
};

// A python3-dbusmock service on one of the buses: a template, or a plain
// object by name, path and interface. Stopped when destroyed.
class MockService {
public:
    enum class Bus { System, Session };

    MockService(Bus bus, const QStringList& arguments);
    ~MockService();
    MockService(const MockService&) = delete;
    MockService& operator=(const MockService&) = delete;

    // Waits until the service holds its name on the bus.
    bool ready(const QString& name);

    // A method call; the reply (an error reply when it failed).
    QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {});
    // Through the mock's own interface: emit a signal, add a method.
    QDBusMessage emitSignal(const QString& service, const QString& path, const QString& interface,
                            const QString& name, const QString& signature, const QVariantList& arguments);
    QDBusMessage addMethod(const QString& service, const QString& path, const QString& interface,
                           const QString& name, const QString& in, const QString& out, const QString& code);
    QDBusMessage updateProperties(const QString& service, const QString& path, const QString& interface,
                                  const QVariantMap& properties);

private:
    QDBusConnection connection() const;

    Bus bus_;
    QProcess process_;
};

} // namespace mvx::test
