#include "workbench/QrcodeView.h"

#include "app/Msg.h"
#include "barcode/CQREncoder.h"
#include "workbench/AppSession.h"
#include "workbench/BatchFiles.h"
#include "workbench/RegistrationSymbol.h"

#include <memory>

namespace mvx {

bool QrcodeView::make()
{
    const auto content = RegistrationSymbol{}.content(session_);
    if (!content)
        return false;
    // The encoder's fixed buffers are large: keep it off the stack.
    auto encoder = std::make_unique<CQREncoder>();
    if (!encoder->encode(CQREncoder::LevelM, 0, true, -1, content->data(), static_cast<int>(content->size()))) {
        session_.messenger().show(Msg::QrTextDoesNotFit, MsgIcon::Stop);
        return false;
    }
    picture_.emplace(*encoder);
    return true;
}

bool QrcodeView::save()
{
    if (!picture_)
        return false;
    CMessenger& messenger = session_.messenger();
    const auto chosen = messenger.interaction().chooseSavePathFiltered(
        messenger.text(Msg::BarcodeSaveTitle), messenger.text(Msg::BarcodeDefaultFileName),
        messenger.text(Msg::BitmapFilter));
    if (!chosen || chosen->empty())
        return false;
    std::string path = *chosen;
    if (BatchFiles::baseName(path).find('.') == std::string::npos)
        path += ".bmp";
    if (BatchFiles::exists(path) && !messenger.askYesNo(Msg::ReplaceExistingFile, MsgIcon::Exclamation, path))
        return false;
    if (picture_->saveBmpFile(path))
        return true;
    messenger.showCaptioned(Msg::BitmapFileOpenError, Msg::BitmapFileOpenErrorCaption, MsgIcon::Stop);
    return false;
}

} // namespace mvx
