#pragma once

#include "app/CMessenger.h"
#include "engine/ContainerReader.h"
#include "engine/FileDecryptor.h"
#include "platform/AppLauncher.h"

#include <string>

namespace mvx {

// Opens a container in place: decrypts it into a private 0700 temporary
// folder, hands the plain file to the program associated with its type and
// waits for that program to end. A changed plain file is enciphered again
// into the same container (records, history and trailer kept) and recorded
// as "updated"; an unchanged one as "viewed". The temporary plain file is
// destroyed by secure deletion in every case.
class OpenInPlace {
public:
    static constexpr int kNotOpened = 0;
    static constexpr int kUpdated = 1;
    static constexpr int kViewed = 2;

    OpenInPlace(CMessenger& messenger, FileDecryptor& decryptor, IAppLauncher& launcher);

    // kNotOpened (its message shown), kUpdated or kViewed.
    int open(const std::string& containerPath);

    // Enciphers plainPath again into containerPath with the content key of
    // the opened layout, keeping the attachment, records, history and
    // trailer. The new container replaces the old one only when complete.
    // senderName and senderMail restore the attachment's names.
    static bool rewriteBody(const std::string& containerPath, const ContainerLayout& layout,
                            const std::string& plainPath, const std::string& senderName,
                            const std::string& senderMail, uint32_t historyEvent, bool recordEvent);

private:
    int openDecrypted(const std::string& containerPath, const std::string& plainPath);

    CMessenger& messenger_;
    FileDecryptor& decryptor_;
    IAppLauncher& launcher_;
};

} // namespace mvx
