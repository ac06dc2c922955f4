#include "workbench/ContainerHistory.h"

#include "app/Msg.h"
#include "engine/ContainerReader.h"
#include "platform/FileIo.h"

#include <cstdio>
#include <fcntl.h>

namespace mvx {

bool ContainerHistory::hasHistory(const std::string& containerPath)
{
    FdGuard fd(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    ContainerLayout layout;
    if (!fd.valid() || ContainerReader::readLayout(fd.get(), layout, true) != ContainerStatus::Ok)
        return false;
    return layout.trailer.hasFlag(ContainerTrailer::kFlagHistory) ||
           layout.trailer.hasFlag(ContainerTrailer::kFlagOldHistory);
}

ContainerHistory::Load ContainerHistory::load(const std::string& containerPath, const std::string& ownPublicKeyFile,
                                              const std::string& ownPrivateKeyFile, CArchiveHistoryMan& history)
{
    KeyMaterialCache keys;
    return load(containerPath, keys, ownPublicKeyFile, ownPrivateKeyFile, history);
}

ContainerHistory::Load ContainerHistory::load(const std::string& containerPath, KeyMaterialCache& keys,
                                              const std::string& ownPublicKeyFile,
                                              const std::string& ownPrivateKeyFile, CArchiveHistoryMan& history)
{
    FdGuard fd(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return Load::Unreadable;
    ContainerLayout layout;
    switch (ContainerReader::open(fd.get(), keys, ownPublicKeyFile, ownPrivateKeyFile, layout, true)) {
    case ContainerStatus::Ok: break;
    case ContainerStatus::KeyFileMissing: return Load::KeyFileMissing;
    case ContainerStatus::NotAuthorized:
    case ContainerStatus::HeadNotOpened: return Load::NotAuthorized;
    case ContainerStatus::ReadFailed: return Load::Unreadable;
    default: return Load::NotContainer;
    }
    const bool older = layout.trailer.hasFlag(ContainerTrailer::kFlagOldHistory);
    if (!older && !layout.trailer.hasFlag(ContainerTrailer::kFlagHistory))
        return Load::NoHistory;
    history.create(containerPath);
    history.setTrailerAndRecord(layout.trailer.bytes.data(), layout.ownRecord());
    const int read = older ? history.readOlderLayout(containerPath) : history.read(containerPath);
    return read == CArchiveHistoryMan::kReadOk ? Load::Ok : Load::NotContainer;
}

std::string ContainerHistory::operationText(uint32_t kind, const CMessageTable& table)
{
    switch (kind) {
    case 0: return table.text(Msg::HistoryOpCreated);
    case 1: return table.text(Msg::HistoryOpUpdated);
    case 2: return table.text(Msg::HistoryOpViewed);
    case 3: return table.text(Msg::HistoryOpDecrypted);
    default: return table.text(Msg::HistoryOpUnknown);
    }
}

std::string ContainerHistory::dateText(const SystemTime& time)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%d %02d:%02d", time.year, time.month, time.day, time.hour, time.minute);
    return text;
}

std::vector<ContainerHistory::Row> ContainerHistory::rows(const CArchiveHistoryMan& history, const CMessageTable& table)
{
    std::vector<Row> rows;
    const auto& names = history.names();
    for (const auto& event : history.events()) {
        Row row{dateText(event.time), operationText(event.kind, table), {}, {}};
        if (event.actor < names.size()) {
            row.userName = names[event.actor].userName;
            row.mail = names[event.actor].mail;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace mvx
