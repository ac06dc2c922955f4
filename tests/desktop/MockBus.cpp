#include "MockBus.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace mvx::test {

namespace {

std::vector<long> daemonPids;

// dbus-daemon forks itself away and prints its address and process id.
bool startDaemon(const char* variable)
{
    FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (!out)
        return false;
    char address[512] = {};
    char pid[32] = {};
    const bool read = std::fgets(address, sizeof address, out) && std::fgets(pid, sizeof pid, out);
    ::pclose(out);
    if (!read)
        return false;
    std::string line(address);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    ::setenv(variable, line.c_str(), 1);
    daemonPids.push_back(std::atol(pid));
    return true;
}

} // namespace

bool PrivateBuses::start()
{
    if (startDaemon("DBUS_SYSTEM_BUS_ADDRESS") && startDaemon("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    std::fprintf(stderr, "dbus-daemon could not be started (install the package dbus-daemon)\n");
    return false;
}

void PrivateBuses::stop()
{
    for (long pid : daemonPids)
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    daemonPids.clear();
}

MockService::MockService(Bus bus, const QStringList& arguments) : bus_(bus)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(MORVANEX_MOCK_PYTHON),
                   QStringList{"-m", "dbusmock", bus == Bus::System ? "--system" : "--session"} + arguments);
}

MockService::~MockService()
{
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(3000);
}

QDBusConnection MockService::connection() const
{
    return bus_ == Bus::System ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool MockService::ready(const QString& name)
{
    return QTest::qWaitFor([&] { return connection().interface()->isServiceRegistered(name).value(); }, 15000);
}

QDBusMessage MockService::call(const QString& service, const QString& path, const QString& interface,
                               const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return connection().call(message, QDBus::Block, 10000);
}

QDBusMessage MockService::emitSignal(const QString& service, const QString& path, const QString& interface,
                                     const QString& name, const QString& signature, const QVariantList& arguments)
{
    return call(service, path, "org.freedesktop.DBus.Mock", "EmitSignal",
                {interface, name, signature, QVariant(arguments)});
}

QDBusMessage MockService::addMethod(const QString& service, const QString& path, const QString& interface,
                                    const QString& name, const QString& in, const QString& out, const QString& code)
{
    return call(service, path, "org.freedesktop.DBus.Mock", "AddMethod", {interface, name, in, out, code});
}

QDBusMessage MockService::updateProperties(const QString& service, const QString& path, const QString& interface,
                                           const QVariantMap& properties)
{
    return call(service, path, "org.freedesktop.DBus.Mock", "UpdateProperties", {interface, QVariant(properties)});
}

} // namespace mvx::test
