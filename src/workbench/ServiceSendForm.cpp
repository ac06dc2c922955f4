#include "workbench/ServiceSendForm.h"

#include "app/CMessenger.h"
#include "app/Msg.h"

#include <algorithm>

namespace mvx {

namespace {

const char* actionOf(ServiceSendForm::Mode mode)
{
    switch (mode) {
    case ServiceSendForm::Mode::EasySend: return "easysend";
    case ServiceSendForm::Mode::Transfer: return "transfer";
    case ServiceSendForm::Mode::Upload: break;
    }
    return "upload";
}

} // namespace

std::vector<std::string> ServiceSendForm::addressList() const
{
    std::vector<std::string> list;
    std::string word;
    auto take = [&] {
        if (!word.empty() && std::find(list.begin(), list.end(), word) == list.end())
            list.push_back(word);
        word.clear();
    };
    for (char c : addresses) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';')
            take();
        else
            word += c;
    }
    take();
    return list;
}

std::optional<ServiceAction::Request> ServiceSendForm::request(CMessenger& messenger, const std::string& ownMail) const
{
    if (files.empty()) {
        messenger.show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return std::nullopt;
    }
    ServiceAction::Request made;
    made.action = actionOf(mode);
    made.files = files;
    made.mail = ownMail;
    made.subject = subject;
    made.message = message;
    if (needsAddresses()) {
        made.to = addressList();
        if (made.to.empty()) {
            messenger.show(Msg::ServiceAddressesMissing, MsgIcon::Exclamation);
            return std::nullopt;
        }
    }
    return made;
}

} // namespace mvx
