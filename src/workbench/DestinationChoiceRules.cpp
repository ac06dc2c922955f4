#include "workbench/DestinationChoiceRules.h"

#include "app/CMessenger.h"
#include "app/Msg.h"

namespace mvx {

TimeLimitEnabling TimeLimitEnabling::of(bool timeLimitOn, EncryptOptionRules::LimitMode mode)
{
    TimeLimitEnabling enabling;
    if (!timeLimitOn)
        return enabling;
    enabling.modes = true;
    enabling.numberAndUnit = mode != EncryptOptionRules::kDirectDate;
    enabling.dateAndTime = mode == EncryptOptionRules::kDirectDate;
    return enabling;
}

std::string DestinationChoiceRules::halfWidthDigits(const std::string& text)
{
    // U+FF10..U+FF19 are EF BC 90..99 in UTF-8.
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        if (i + 2 < text.size() && byte(i) == 0xEF && byte(i + 1) == 0xBC && byte(i + 2) >= 0x90 &&
            byte(i + 2) <= 0x99) {
            result += static_cast<char>('0' + (byte(i + 2) - 0x90));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

EncryptOptionRules::OkResult DestinationChoiceRules::onOk(CMessenger& messenger, bool withMail)
{
    // The number is read as the user meant it, in whichever digits he typed.
    options.number = halfWidthDigits(options.number);
    const auto checked = options.onOk(messenger);
    if (!checked.accepted)
        return checked;
    if (chosen.empty()) {
        messenger.show(Msg::NoPartnerSelected, MsgIcon::Stop);
        return {false, EncryptOptionRules::kNoField};
    }
    mail = withMail;
    return checked;
}

EncryptChoices DestinationChoiceRules::choices() const
{
    EncryptChoices result;
    result.destinations = chosen.destinations();
    result.options = options.options();
    result.mail = mail;
    return result;
}

} // namespace mvx
