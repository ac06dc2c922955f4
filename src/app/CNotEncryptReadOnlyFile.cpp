#include "app/CNotEncryptReadOnlyFile.h"

#include "app/Msg.h"

namespace mvx {

bool CNotEncryptReadOnlyFile::show(IInteraction& ui, const std::string& text)
{
    if (silenced_)
        return false;
    if (ui.noticeWithSilence(table_.text(Msg::ContinuesCheck), text, table_.text(Msg::DoNotShowAgain)))
        silenced_ = true;
    return true;
}

} // namespace mvx
