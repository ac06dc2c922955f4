#include "workbench/OptionsApply.h"

#include "app/Msg.h"
#include "platform/FileAttributes.h"
#include "workbench/AppSession.h"
#include "workbench/SpecificFolderMark.h"

namespace mvx {

bool OptionsApply::ownPublicKeyExists(AppSession& session)
{
    return session.keys().hasOwnKeySet() && FileAttributes::isRegularFile(session.keys().ownPublicKeyPath());
}

OptionsValues OptionsApply::current(AppSession& session)
{
    return optionsValuesFrom(session.settings(), session.keys().userName(), session.keys().mail());
}

OptionsChange OptionsApply::apply(AppSession& session, const OptionsValues& values)
{
    Settings& settings = session.settings();
    const std::string formerFolder = settings.destPath2;
    const OptionsOutcome outcome = applyOptionsResult(settings, values, ownPublicKeyExists(session));
    if (outcome.takeUserInfo)
        session.keys().writePersonalInfo(values.userName, values.mailAddress);
    if (outcome.userInfoNotReflected)
        session.messenger().show(Msg::UserInfoNotReflected, MsgIcon::Information);
    if (outcome.saveSettings)
        session.saveSettings();

    OptionsChange change;
    change.idleTimerArmed = settings.encAndDec != 0 && settings.useTimer != 0;
    change.idleMinutes = settings.timeForTimer;
    change.removeFileManagerEntries = outcome.removeContextMenu;
    if (outcome.markSpecificFolder && SpecificFolderMark::mark(settings.destPath2))
        change.markedFolder = settings.destPath2;
    if (!formerFolder.empty() && formerFolder != settings.destPath2 && SpecificFolderMark::isMarked(formerFolder) &&
        SpecificFolderMark::unmark(formerFolder))
        change.unmarkedFolder = formerFolder;
    return change;
}

} // namespace mvx
