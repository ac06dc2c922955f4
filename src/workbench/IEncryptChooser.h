#pragma once

#include "workbench/EncryptOptionRules.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Destinations and options an encryption batch receives from the dialog or
// window that started it.
struct EncryptChoices {
    std::vector<std::string> destinations;  // key files; a key folder ends in "/"
    EncryptOptions options;
    bool mail = false;
};

// The windows a batch reaches for its destinations and options: the window
// implements them with its dialogs, morvanex-cli with what the command line
// gave (PresetEncryptChooser). nullopt / false is Cancel.
class IEncryptChooser {
public:
    virtual ~IEncryptChooser() = default;
    // Kind 0: the destination-selection dialog, given the own name and the files.
    virtual std::optional<EncryptChoices> chooseDestinations(const std::string& ownName,
                                                             const std::vector<std::string>& files) = 0;
    // Kind 2: the destination-list window's selection and check boxes.
    virtual std::optional<EncryptChoices> destinationListSelection() = 0;
    // Kind 3 with "Setting for Encryption": runs the options dialog until its
    // OK is accepted (true) or it is cancelled (false).
    virtual bool runEncryptOptions(EncryptOptionRules& dialog) = 0;
};

// The same choices for every question: for front ends that know them in
// advance (kind 0 or 2 takes them whole; the options dialog of kind 3 takes
// history, deletion and output folder, not a time limit).
class PresetEncryptChooser : public IEncryptChooser {
public:
    explicit PresetEncryptChooser(EncryptChoices choices) : choices_(std::move(choices)) {}

    std::optional<EncryptChoices> chooseDestinations(const std::string&, const std::vector<std::string>&) override
    {
        return choices_;
    }
    std::optional<EncryptChoices> destinationListSelection() override { return choices_; }
    bool runEncryptOptions(EncryptOptionRules& dialog) override
    {
        dialog.manageLogs = choices_.options.history;
        dialog.deletePlainFiles = choices_.options.deletePlainFiles;
        dialog.outputFolder = choices_.options.outputFolder;
        return true;
    }

private:
    EncryptChoices choices_;
};

} // namespace mvx
