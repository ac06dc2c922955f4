#pragma once

#include "workbench/BatchContext.h"
#include "workbench/EngineFileCrypto.h"
#include "workbench/KeyManagerDirectory.h"
#include "workbench/SimpleMailComposer.h"
#include "keys/KeyFolderSenderDirectory.h"
#include "workbench/StudioList.h"
#include "workbench/UnknownSenderAuthentication.h"
#include "workbench/WorkList.h"

namespace mvx {

class CKeyManager;
class CMessenger;
class ISenderDirectory;
struct Settings;

// The batch plumbing of one front end: lists, the engine's per-file
// operations on the own key set, the destination list, the mail hand-over
// and the platform's deletion and drive checks, gathered in a BatchContext.
class WorkbenchSession {
public:
    WorkbenchSession(CMessenger& messenger, const Settings& settings, CKeyManager& keys, bool settingsFound);

    BatchContext& context() { return context_; }
    StudioList& studio() { return studio_; }
    WorkList& work() { return work_; }
    UnknownSenderAuthentication& unknownSender() { return unknownSender_; }
    // Key material read at start, for the protected folder at exit.
    void useKeyMaterial(const CachedKeyMaterial* material) { crypto_.setCachedMaterial(material); }

private:
    StudioList studio_;
    WorkList work_;
    EngineFileCrypto crypto_;
    KeyManagerDirectory directory_;
    SimpleMailComposer mailer_;
    KeyFolderSenderDirectory senders_;
    UnknownSenderAuthentication unknownSender_;
    BatchContext context_;
};

} // namespace mvx
