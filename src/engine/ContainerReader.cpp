#include "engine/ContainerReader.h"

#include "platform/FileIo.h"

#include <sys/stat.h>

namespace mvx {

ContainerStatus ContainerReader::readLayout(int fd, ContainerLayout& layout, bool acceptOlderHistory)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return ContainerStatus::ReadFailed;
    layout.fileLength = static_cast<uint64_t>(st.st_size);
    if (layout.fileLength < ContainerLayout::kMinimumLength)
        return ContainerStatus::NotContainer;

    uint8_t trailerBytes[ContainerTrailer::kSize];
    if (!preadFully(fd, trailerBytes, sizeof trailerBytes, layout.fileLength - ContainerTrailer::kSize))
        return ContainerStatus::ReadFailed;
    layout.trailer = ContainerTrailer::fromBytes(trailerBytes);
    if (!layout.trailer.hasMagic())
        return ContainerStatus::NotContainer;
    if (!layout.trailer.isSupportedVersion())
        return ContainerStatus::NewerVersion;
    if (layout.trailer.hasFlag(ContainerTrailer::kFlagOldHistory) && !acceptOlderHistory)
        return ContainerStatus::OldHistoryLayout;

    const uint64_t recordBytes = static_cast<uint64_t>(layout.trailer.unitCount()) * RecipientRecordTable::kRecordSize;
    if (recordBytes + ContainerTrailer::kSize > layout.fileLength)
        return ContainerStatus::NotContainer;
    layout.recordAreaOffset = layout.fileLength - recordBytes - ContainerTrailer::kSize;

    if (layout.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment)) {
        layout.bodyLength = layout.trailer.bodyLength();
        if (layout.bodyLength + ContainerLayout::kSenderNamesSize > layout.recordAreaOffset)
            return ContainerStatus::NotContainer;
    } else {
        layout.bodyLength = layout.recordAreaOffset;
    }

    std::vector<uint8_t> area(static_cast<size_t>(recordBytes));
    if (!area.empty() && !preadFully(fd, area.data(), area.size(), layout.recordAreaOffset))
        return ContainerStatus::ReadFailed;
    layout.records.load(layout.trailer.unitCount(), area.data());
    return ContainerStatus::Ok;
}

ContainerStatus ContainerReader::open(int fd, const std::string& ownPublicKeyFile,
                                      const std::string& ownPrivateKeyFile, ContainerLayout& layout,
                                      bool acceptOlderHistory)
{
    KeyMaterialCache keys;
    return open(fd, keys, ownPublicKeyFile, ownPrivateKeyFile, layout, acceptOlderHistory);
}

ContainerStatus ContainerReader::open(int fd, KeyMaterialCache& keys, const std::string& ownPublicKeyFile,
                                      const std::string& ownPrivateKeyFile, ContainerLayout& layout,
                                      bool acceptOlderHistory)
{
    ContainerStatus status = readLayout(fd, layout, acceptOlderHistory);
    if (status != ContainerStatus::Ok)
        return status;
    const auto ownPublic = keys.keyFile(ownPublicKeyFile);
    const auto ownPrivate = keys.keyFile(ownPrivateKeyFile);
    if (!ownPublic || !ownPrivate)
        return ContainerStatus::KeyFileMissing;
    return openOwnRecord(layout, ownPublic->blob, ownPrivate->key.get());
}

ContainerStatus ContainerReader::open(int fd, const std::vector<uint8_t>& ownPublicBlob,
                                      const std::vector<uint8_t>& ownPrivateBlob, ContainerLayout& layout)
{
    ContainerStatus status = readLayout(fd, layout);
    if (status != ContainerStatus::Ok)
        return status;
    EvpPkeyPtr ownPrivate = RsaBlob::importBlob(ownPrivateBlob.data(), ownPrivateBlob.size());
    return openOwnRecord(layout, ownPublicBlob, ownPrivate.get());
}

ContainerStatus ContainerReader::openOwnRecord(ContainerLayout& layout, const std::vector<uint8_t>& ownPublicBlob,
                                               evp_pkey_st* ownPrivateKey)
{
    // The head that identifies the own record is the opened head: one private-key operation.
    layout.ownIndex = layout.records.openOwnRecord(ownPublicBlob, ownPrivateKey);
    if (layout.ownIndex < 0)
        return ContainerStatus::NotAuthorized;
    const size_t index = static_cast<size_t>(layout.ownIndex);
    RecipientRecordTable::contentKeyOf(layout.records.addressOf(index), layout.contentKey);
    layout.records.transformTail(index, layout.contentKey);
    layout.fileName = RecipientRecordTable::fileNameOf(layout.records.addressOf(index));
    return ContainerStatus::Ok;
}

} // namespace mvx
