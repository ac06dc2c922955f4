#include "engine/ContainerReader.h"

#include "engine/CArchiveHistoryMan.h"
#include "engine/KeystreamEngine.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

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
    const ContainerStatus framing = layout.trailer.hasFlag(ContainerTrailer::kFlagOldHistory)
                                        ? frameOlderLayout(layout)
                                        : frameBody(fd, layout);
    if (framing != ContainerStatus::Ok)
        return framing;

    std::vector<uint8_t> area(static_cast<size_t>(recordBytes));
    if (!area.empty() && !preadFully(fd, area.data(), area.size(), layout.recordAreaOffset))
        return ContainerStatus::ReadFailed;
    layout.records.load(layout.trailer.unitCount(), area.data());
    return ContainerStatus::Ok;
}

ContainerStatus ContainerReader::frameBody(int fd, ContainerLayout& layout)
{
    const ContainerTrailer& trailer = layout.trailer;
    const bool history = trailer.hasFlag(ContainerTrailer::kFlagHistory);
    const uint32_t historyUnits = trailer.historyUnits();
    // At least one record before the history units, and no history units without a history.
    if (history ? historyUnits == 0 || historyUnits >= trailer.unitCount()
                : historyUnits != 0 || trailer.unitCount() == 0)
        return ContainerStatus::Damaged;
    if (!trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment)) {
        // The body ends where the records begin; the trailer keeps its length modulo 2^32.
        layout.bodyLength = layout.recordAreaOffset;
        return trailer.bodyLength() == static_cast<uint32_t>(layout.bodyLength) ? ContainerStatus::Ok
                                                                                 : ContainerStatus::Damaged;
    }
    // Body, the sender's names, then his key file framing, which ends where the records begin.
    layout.bodyLength = trailer.bodyLength();
    layout.senderKeyOffset = layout.bodyLength + ContainerLayout::kSenderNamesSize;
    uint8_t lengthBytes[4];
    if (layout.senderKeyOffset + sizeof lengthBytes > layout.recordAreaOffset)
        return ContainerStatus::Damaged;
    if (!preadFully(fd, lengthBytes, sizeof lengthBytes, layout.senderKeyOffset))
        return ContainerStatus::ReadFailed;
    const uint32_t blobLength = getLe32(lengthBytes);
    if (blobLength == 0 || layout.senderKeyOffset + sizeof lengthBytes + blobLength != layout.recordAreaOffset)
        return ContainerStatus::Damaged;
    layout.senderKeyLength = sizeof lengthBytes + blobLength;
    return ContainerStatus::Ok;
}

ContainerStatus ContainerReader::frameOlderLayout(ContainerLayout& layout)
{
    // Never decrypted, only its history shown: the records and the trailer have to fit.
    layout.bodyLength = layout.recordAreaOffset;
    if (layout.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment)) {
        layout.bodyLength = layout.trailer.bodyLength();
        if (layout.bodyLength + ContainerLayout::kSenderNamesSize > layout.recordAreaOffset)
            return ContainerStatus::NotContainer;
    }
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
    if (!historyFillsItsUnits(layout))
        return ContainerStatus::Damaged;
    layout.records.transformTail(index, layout.contentKey);
    layout.fileName = RecipientRecordTable::fileNameOf(layout.records.addressOf(index));
    return ContainerStatus::Ok;
}

bool ContainerReader::historyFillsItsUnits(const ContainerLayout& layout)
{
    const ContainerTrailer& trailer = layout.trailer;
    if (!trailer.hasFlag(ContainerTrailer::kFlagHistory) || trailer.hasFlag(ContainerTrailer::kFlagOldHistory))
        return true;
    const uint32_t firstHistoryUnit = trailer.unitCount() - trailer.historyUnits();
    if (static_cast<uint32_t>(layout.ownIndex) >= firstHistoryUnit)
        return false;
    // The two counts at the block's start say how many units it takes.
    uint8_t counts[CArchiveHistoryMan::kCountsSize];
    KeystreamEngine engine;
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(layout.contentKey);
    engine.transformBuffer(layout.records.addressOf(firstHistoryUnit), sizeof counts, counts);
    return CArchiveHistoryMan::blockUnits(getLe32(counts), getLe32(counts + 4)) == trailer.historyUnits();
}

} // namespace mvx
