#include "ui/app/DesktopWatch.h"

#include "app/CMessageTable.h"
#include "app/MessageFormat.h"
#include "app/Msg.h"

namespace mvx::ui {

DesktopWatch::DesktopWatch(SessionLockSignals::Reports reports, const LoginSessionHints& hints)
    : locks_(std::move(reports), hints), idle_(locks_.sessionPath())
{
}

std::string DesktopWatch::describe(const CMessageTable& table) const
{
    QStringList idle = idle_.found();
    idle << QString::fromStdString(table.text(Msg::IdleFromOwnWindows));
    const QStringList locks = locks_.sourcesFound();
    const QString lockText =
        locks.isEmpty() ? QString::fromStdString(table.text(Msg::NoLockSources)) : locks.join(QStringLiteral(", "));
    return formatMessage(table.text(Msg::IdleSourcesLine), idle.join(QStringLiteral(", ")).toStdString()) + '\n' +
           formatMessage(table.text(Msg::LockSourcesLine), lockText.toStdString());
}

} // namespace mvx::ui
