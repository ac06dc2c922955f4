#include "workbench/RegistrationSymbol.h"

#include "app/Msg.h"
#include "barcode/RegistrationContent.h"
#include "workbench/AppSession.h"

namespace mvx {

namespace {

// Key, name and mail all given need no key set.
bool fillFromOwnKeySet(AppSession& session, RegistrationSymbol& symbol)
{
    if (!symbol.keyPath.empty() && symbol.name && symbol.mail)
        return true;
    if (!session.requireKeySet())
        return false;
    const CKeyManager& keys = session.keys();
    if (symbol.keyPath.empty())
        symbol.keyPath = keys.ownPublicKeyPath();
    if (!symbol.name)
        symbol.name = keys.userName();
    if (!symbol.mail)
        symbol.mail = keys.mail();
    return true;
}

} // namespace

std::optional<std::string> RegistrationSymbol::content(AppSession& session)
{
    if (!fillFromOwnKeySet(session, *this))
        return std::nullopt;
    CMessenger& messenger = session.messenger();
    RegistrationInputs inputs;
    inputs.leadSentence = messenger.text(Msg::BarcodeLeadSentence);
    inputs.userName = *name;
    inputs.mail = *mail;
    inputs.baseUrl = baseUrl.empty() ? session.settings().serviceUrl : baseUrl;
    const Registration registration = buildRegistrationFromFile(keyPath, inputs);
    switch (registration.status) {
    case RegistrationStatus::Ok:
        return registration.content;
    case RegistrationStatus::KeyFileMissing:
        messenger.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
        return std::nullopt;
    case RegistrationStatus::KeyFileDamaged:
        messenger.show(Msg::KeyIsInvalid, MsgIcon::Stop);
        return std::nullopt;
    case RegistrationStatus::NotShiftJis:
        messenger.show(Msg::QrNameOrMailNotShiftJis, MsgIcon::Stop);
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace mvx
