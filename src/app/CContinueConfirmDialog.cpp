#include "app/CContinueConfirmDialog.h"

#include "app/Msg.h"

#include <utility>

namespace mvx {

CContinueConfirmDialog::CContinueConfirmDialog(std::string caption, std::string text,
                                               std::array<std::string, 4> buttons)
    : caption_(std::move(caption)), text_(std::move(text)), buttons_(std::move(buttons))
{
}

CContinueConfirmDialog CContinueConfirmDialog::forOverwrite(const CMessageTable& table, std::string text)
{
    return CContinueConfirmDialog(table.text(Msg::Overwrite), std::move(text),
                                  {table.text(Msg::Yes), table.text(Msg::OverwriteAll), table.text(Msg::No),
                                   table.text(Msg::Stop)});
}

CContinueConfirmDialog CContinueConfirmDialog::forDelete(const CMessageTable& table, std::string text)
{
    return CContinueConfirmDialog(table.text(Msg::Delete), std::move(text),
                                  {table.text(Msg::Yes), table.text(Msg::DeleteAll), table.text(Msg::No),
                                   table.text(Msg::Stop)});
}

int CContinueConfirmDialog::DoModal(IInteraction& ui) const
{
    const int pressed = ui.continueConfirm(caption_, text_, buttons_);
    return pressed >= kFirst && pressed <= kFourth ? pressed : kFourth;
}

} // namespace mvx
