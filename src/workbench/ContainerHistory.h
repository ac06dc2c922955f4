#pragma once

#include "app/CMessageTable.h"
#include "engine/CArchiveHistoryMan.h"
#include "engine/KeyMaterialCache.h"

#include <string>
#include <vector>

namespace mvx {

// The history a container carries, read for the viewer and for forwarding:
// the container is opened with the own key pair (trailer and records only)
// for the content key, and the history read in the current or older layout.
// Nothing is written.
class ContainerHistory {
public:
    enum class Load { Ok, Unreadable, NotContainer, NoHistory, NotAuthorized, KeyFileMissing };

    // One row of the viewer.
    struct Row {
        std::string date;       // "%d/%d/%d %02d:%02d"
        std::string operation;  // "新規作成", "更新", "閲覧", "復号", "不明"
        std::string userName;
        std::string mail;
    };

    // Trailer flag 0x10 (current layout) or 0x04 (older layout).
    static bool hasHistory(const std::string& containerPath);
    static Load load(const std::string& containerPath, const std::string& ownPublicKeyFile,
                     const std::string& ownPrivateKeyFile, CArchiveHistoryMan& history);
    // As above with the own key files taken from a cache.
    static Load load(const std::string& containerPath, KeyMaterialCache& keys, const std::string& ownPublicKeyFile,
                     const std::string& ownPrivateKeyFile, CArchiveHistoryMan& history);

    static std::vector<Row> rows(const CArchiveHistoryMan& history, const CMessageTable& table);
    static std::string operationText(uint32_t kind, const CMessageTable& table);
    static std::string dateText(const SystemTime& time);
};

} // namespace mvx
