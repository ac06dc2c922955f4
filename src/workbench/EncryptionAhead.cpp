#include "workbench/EncryptionAhead.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/CryptoErrors.h"
#include "engine/FileEncryptor.h"
#include "platform/FileIo.h"
#include "workbench/BatchFiles.h"
#include "workbench/CountingInteraction.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace mvx {

namespace {

bool sameNames(const std::vector<CArchiveHistoryMan::NameEntry>& a, const std::vector<CArchiveHistoryMan::NameEntry>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.userName == y.userName && x.mail == y.mail;
    });
}

// The batch writes each container under a temporary name in the output's
// folder, so a container made ahead is matched by its plain file and folder.
std::string claimKey(const std::string& plainPath, const std::string& outputPath)
{
    return plainPath + '\n' + BatchFiles::folderOf(outputPath);
}

} // namespace

struct EncryptionAhead::Helper {
    CMessageTable table;
    CountingInteraction ui;
    CMessenger messenger{table, ui};
    FileEncryptor encryptor{messenger};
};

bool EncryptionAhead::Settings::operator==(const Settings& other) const
{
    return recipients == other.recipients && optionWord == other.optionWord &&
           timeLimit.seconds == other.timeLimit.seconds &&
           timeLimit.fromFirstDecryption == other.timeLimit.fromFirstDecryption &&
           sameNames(historyNames, other.historyNames);
}

EncryptionAhead::Prepared::~Prepared()
{
    if (ownsFile && !temporaryPath.empty())
        ::unlink(temporaryPath.c_str());
}

EncryptionAhead::EncryptionAhead(SenderKeys sender, std::shared_ptr<KeyMaterialCache> keys, size_t helpers)
    : sender_(std::move(sender)), keys_(std::move(keys)), work_(0)
{
    // The encryptors exist before a helper thread can reach them.
    for (size_t h = 0; h < helpers; ++h)
        helpers_.push_back(std::make_unique<Helper>());
    work_.start(helpers);
}

EncryptionAhead::~EncryptionAhead() { work_.cancel(); }

void EncryptionAhead::expect(const std::vector<PlannedFile>& files, int mode, int keySource)
{
    std::vector<WorkAhead::Expected> work;
    for (const PlannedFile& file : files)
        work.push_back({claimKey(file.plainPath, file.outputPath),
                        [this, file, mode, keySource, settings = settings_](size_t helper) {
                            return make(helper, file, mode, keySource, settings);
                        }});
    work_.expect(std::move(work));
}

std::unique_ptr<WorkAhead::Piece> EncryptionAhead::make(size_t helper, const PlannedFile& file, int mode,
                                                        int keySource, const Settings& settings)
{
    auto prepared = std::make_unique<Prepared>();
    prepared->plainPath = file.plainPath;
    prepared->outputPath = file.outputPath;
    prepared->mode = mode;
    prepared->keySource = keySource;
    prepared->settings = settings;
    prepared->plainStamp = FileStamp::of(file.plainPath);
    if (!prepared->plainStamp)
        return prepared;
    // A name of bounded length beside the container, made exclusively.
    if (!FdGuard(createTemporaryBeside(file.outputPath, 0644, prepared->temporaryPath)).valid())
        return prepared;

    Helper& h = *helpers_[helper];
    FileEncryptor& encryptor = h.encryptor;
    encryptor.setSender(sender_);
    encryptor.setKeyCache(keys_);
    encryptor.setCachedMaterial(cached_);
    encryptor.setStopFlag(stop_);
    encryptor.setRecipients(settings.recipients);
    encryptor.setOptionWord(settings.optionWord);
    encryptor.setTimeLimit(settings.timeLimit);
    encryptor.setHistoryNames(settings.historyNames);
    h.ui.shown = 0;
    CryptoErrors::QuietScope quiet;
    encryptor.resetContentKey();
    const bool written = encryptor.encryptBody(file.plainPath, prepared->temporaryPath, keySource) &&
                         encryptor.writeContainerTail(prepared->temporaryPath, file.plainPath, mode);
    encryptor.resetContentKey();
    prepared->made = written && h.ui.shown == 0 && !quiet.reported() &&
                     FileStamp::of(file.plainPath) == prepared->plainStamp && flushFile(prepared->temporaryPath);
    return prepared;
}

std::unique_ptr<EncryptionAhead::Prepared> EncryptionAhead::claim(const std::string& plainPath,
                                                                  const std::string& outputPath, int keySource)
{
    std::unique_ptr<WorkAhead::Piece> piece = work_.claim(claimKey(plainPath, outputPath));
    auto* prepared = dynamic_cast<Prepared*>(piece.get());
    if (!prepared || !prepared->made || prepared->keySource != keySource || !(prepared->settings == settings_) ||
        FileStamp::of(plainPath) != prepared->plainStamp)
        return nullptr;
    piece.release();
    return std::unique_ptr<Prepared>(prepared);
}

bool EncryptionAhead::place(Prepared& prepared, const std::string& outputPath, const std::string& plainPath, int mode)
{
    if (claimKey(prepared.plainPath, prepared.outputPath) != claimKey(plainPath, outputPath) || prepared.mode != mode ||
        !(prepared.settings == settings_))
        return false;
    if (prepared.temporaryPath != outputPath && !renameFile(prepared.temporaryPath, outputPath))
        return false;
    prepared.temporaryPath.clear();
    return true;
}

} // namespace mvx
