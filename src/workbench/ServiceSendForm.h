#pragma once

#include "workbench/ServiceAction.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

class CMessenger;

// The fields of the send window (upload to the own folder, easy send,
// transfer of encrypted files) and the request they make.
struct ServiceSendForm {
    enum class Mode { Upload, EasySend, Transfer };

    Mode mode = Mode::Upload;
    std::vector<std::string> files;
    std::string subject;
    std::string message;
    std::string addresses;  // separated by white space, "," or ";"

    bool needsAddresses() const { return mode != Mode::Upload; }
    // The addresses typed, each once, in their order.
    std::vector<std::string> addressList() const;
    // The request for the own mail address; nullopt after its message (no
    // files, or no address where one is needed).
    std::optional<ServiceAction::Request> request(CMessenger& messenger, const std::string& ownMail) const;
};

} // namespace mvx
