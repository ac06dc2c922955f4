#include "engine/RecipientRecordTable.h"

#include "engine/Crc64.h"
#include "engine/CryptoErrors.h"
#include "engine/KeystreamEngine.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace mvx {

int RecipientRecordTable::store(size_t index, const uint8_t* record)
{
    if (index >= records_.size())
        return 0;
    std::memcpy(records_[index].data(), record, kRecordSize);
    return 1;
}

uint8_t* RecipientRecordTable::addressOf(size_t index)
{
    return index < records_.size() ? records_[index].data() : nullptr;
}

const uint8_t* RecipientRecordTable::addressOf(size_t index) const
{
    return index < records_.size() ? records_[index].data() : nullptr;
}

void RecipientRecordTable::gather(uint8_t* destination) const
{
    for (const auto& r : records_) {
        std::memcpy(destination, r.data(), kRecordSize);
        destination += kRecordSize;
    }
}

void RecipientRecordTable::load(size_t count, const uint8_t* source)
{
    allocate(count);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(records_[i].data(), source + i * kRecordSize, kRecordSize);
}

int RecipientRecordTable::sealHead(size_t index, const std::string& recipientKeyFile)
{
    bool opened = false;
    std::vector<uint8_t> blob = RsaKeyWrapper::readBlobFromKeyFile(recipientKeyFile, &opened);
    if (!opened) {
        CryptoErrors::report("cannot open key file " + recipientKeyFile);
        return 0;
    }
    return sealHead(index, blob);
}

int RecipientRecordTable::sealHead(size_t index, const std::vector<uint8_t>& recipientBlob)
{
    if (!addressOf(index))
        return 0;
    EvpPkeyPtr imported = RsaBlob::importBlob(recipientBlob.data(), recipientBlob.size());
    if (!imported) {
        CryptoErrors::report("bad key blob");
        return 0;
    }
    return sealHead(index, recipientBlob, imported.get());
}

int RecipientRecordTable::sealHead(size_t index, const std::vector<uint8_t>& recipientBlob, evp_pkey_st* recipientKey)
{
    uint8_t* record = addressOf(index);
    if (!record)
        return 0;
    // A private key blob would seal a head for a key nobody else holds.
    if (RsaBlob::blobType(recipientBlob.data(), recipientBlob.size()) != RsaBlob::kPublicBlobType) {
        CryptoErrors::report("the recipient key is not a public key");
        return 0;
    }
    const uint64_t fingerprint = keyFingerprint(recipientBlob.data(), recipientBlob.size());
    RsaKeyWrapper rsa;
    if (!rsa.loadShared(recipientKey))
        return 0;
    const uint64_t headCrc = crc64we(record + RecordOffset::kHead, kHeadSize);
    std::vector<uint8_t> sealed;
    if (!rsa.encrypt(record + RecordOffset::kHead, kHeadSize, sealed))
        return 0;
    if (sealed.size() != kSealedHeadSize) {
        CryptoErrors::report("the recipient key is not an RSA-1024 key");
        return 0;
    }
    putLe64(record + RecordOffset::kFingerprint, fingerprint);
    putLe64(record + RecordOffset::kHeadCrc, headCrc);
    std::memcpy(record + RecordOffset::kHead, sealed.data(), kSealedHeadSize);
    return 1;
}

int RecipientRecordTable::openOwnRecord(const std::vector<uint8_t>& ownPublicBlob, evp_pkey_st* ownPrivateKey)
{
    const uint64_t ownFingerprint = keyFingerprint(ownPublicBlob.data(), ownPublicBlob.size());
    for (size_t i = 0; i < records_.size(); ++i) {
        uint8_t* record = records_[i].data();
        if (getLe64(record + RecordOffset::kFingerprint) != ownFingerprint)
            continue;
        RsaKeyWrapper rsa;
        if (!rsa.loadShared(ownPrivateKey)) {
            CryptoErrors::report("bad key blob");
            return kNoRecord;
        }
        std::vector<uint8_t> head;
        if (!rsa.decrypt(record + RecordOffset::kHead, kSealedHeadSize, head)) {
            CryptoErrors::showLast();
            return kNoRecord;
        }
        const bool ours =
            head.size() >= kHeadSize && crc64we(head.data(), kHeadSize) == getLe64(record + RecordOffset::kHeadCrc);
        if (ours) {
            std::memcpy(record + RecordOffset::kHead, head.data(), kHeadSize);
            std::memset(record + RecordOffset::kHead + kHeadSize, 0, kSealedHeadSize - kHeadSize);
        }
        std::fill(head.begin(), head.end(), 0);
        if (ours)
            return static_cast<int>(i);
    }
    return kNoRecord;
}

void RecipientRecordTable::transformTail(size_t index, const uint32_t* contentKeyWords)
{
    uint8_t* record = addressOf(index);
    if (!record)
        return;
    KeystreamEngine engine;
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(contentKeyWords);
    engine.transformBuffer(record + RecordOffset::kTail, kTailSize, record + RecordOffset::kTail);
    engine.clear(false);
}

void RecipientRecordTable::contentKeyOf(const uint8_t* record, uint32_t* words)
{
    for (int i = 0; i < 8; ++i)
        words[i] = getLe32(record + RecordOffset::kContentKey + 4 * i);
}

std::string RecipientRecordTable::fileNameOf(const uint8_t* record)
{
    const char* name = reinterpret_cast<const char*>(record + RecordOffset::kFileName);
    return std::string(name, strnlen(name, kFileNameSize));
}

void RecipientRecordTable::putFileName(uint8_t* record, const std::string& name)
{
    uint8_t* field = record + RecordOffset::kFileName;
    std::memset(field, 0, kFileNameSize);
    std::memcpy(field, name.data(), std::min(name.size(), kFileNameSize));
}

} // namespace mvx
