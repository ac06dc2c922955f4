#pragma once

#include "workbench/AddressList.h"
#include "workbench/EncryptOptionRules.h"
#include "workbench/IEncryptChooser.h"

#include <string>

namespace mvx {

class CMessenger;

// Which time-limit controls of the options dialogs take input.
struct TimeLimitEnabling {
    bool modes = false;           // the three radio buttons
    bool numberAndUnit = false;   // counted from encryption or first decryption
    bool dateAndTime = false;     // the calendar and the hour, minute, second fields

    static TimeLimitEnabling of(bool timeLimitOn, EncryptOptionRules::LimitMode mode);
};

// The destination selection of an encryption started without the main
// window's address list: the chosen destinations and the options of
// "Setting of encryption in details", with the checks of its OK button.
class DestinationChoiceRules {
public:
    explicit DestinationChoiceRules(bool deleteCheck1) : options(deleteCheck1) {}

    // OK (mail false) or "Attached Mail" (mail true): the time-limit checks,
    // then at least one destination; a refusal keeps the dialog open.
    EncryptOptionRules::OkResult onOk(CMessenger& messenger, bool mail);
    // After an accepted OK: what the batch receives.
    EncryptChoices choices() const;

    // Full-width digits (U+FF10..U+FF19) become ASCII digits.
    static std::string halfWidthDigits(const std::string& text);

    EncryptOptionRules options;
    AddressList chosen;
    bool mail = false;
};

} // namespace mvx
