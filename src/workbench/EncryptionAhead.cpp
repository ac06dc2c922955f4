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

// One container made ahead: its body's keystream runs alone (run) or beside
// other files' (start, then finish when the stream ended).
class EncryptionAhead::Making : public WorkAhead::StreamJob {
public:
    Making(EncryptionAhead& ahead, const PlannedFile& file, int mode, int keySource, const Settings& settings)
        : ahead_(ahead), file_(file), prepared_(std::make_unique<Prepared>())
    {
        prepared_->plainPath = file.plainPath;
        prepared_->outputPath = file.outputPath;
        prepared_->mode = mode;
        prepared_->keySource = keySource;
        prepared_->settings = settings;
    }

    std::unique_ptr<WorkAhead::Piece> run(size_t helper)
    {
        MultiStreamTransform::Stream stream;
        flushes_ = true;
        const bool started = start(helper, 0, stream);
        return finish(started && stream.engine->transformFile(stream.inputFd, stream.outputFd));
    }

    bool start(size_t worker, size_t lane, MultiStreamTransform::Stream& stream) override
    {
        prepared_->plainStamp = FileStamp::of(file_.plainPath);
        if (!prepared_->plainStamp)
            return false;
        // A name of bounded length beside the container, made exclusively.
        if (!FdGuard(createTemporaryBeside(file_.outputPath, 0644, prepared_->temporaryPath)).valid())
            return false;
        helper_ = &ahead_.helperFor(worker, lane);
        FileEncryptor& encryptor = helper_->encryptor;
        const Settings& settings = prepared_->settings;
        encryptor.setSender(ahead_.sender_);
        encryptor.setKeyCache(ahead_.keys_);
        encryptor.setCachedMaterial(ahead_.cached_);
        encryptor.setStopFlag(ahead_.stop_);
        encryptor.setRecipients(settings.recipients);
        encryptor.setOptionWord(settings.optionWord);
        encryptor.setTimeLimit(settings.timeLimit);
        encryptor.setHistoryNames(settings.historyNames);
        helper_->ui.shown = 0;
        CryptoErrors::QuietScope quiet;
        encryptor.resetContentKey();
        opened_ = encryptor.openBody(file_.plainPath, prepared_->temporaryPath, prepared_->keySource, body_);
        quietReported_ = quiet.reported();
        if (opened_)
            stream = {&encryptor.engine(), body_.in.get(), body_.out.get(), 0, true};
        return opened_;
    }

    std::unique_ptr<WorkAhead::Piece> finish(bool streamed) override
    {
        if (!opened_)
            return std::move(prepared_);
        FileEncryptor& encryptor = helper_->encryptor;
        CryptoErrors::QuietScope quiet;
        const bool written = encryptor.closeBody(prepared_->temporaryPath, body_, streamed) &&
                             encryptor.writeContainerTail(prepared_->temporaryPath, file_.plainPath, prepared_->mode);
        encryptor.resetContentKey();
        // A flush here would hold up the other lanes: the batch flushes a streamed container when it takes it.
        prepared_->made = written && helper_->ui.shown == 0 && !quietReported_ && !quiet.reported() &&
                          FileStamp::of(file_.plainPath) == prepared_->plainStamp &&
                          (!flushes_ || flushFile(prepared_->temporaryPath));
        prepared_->flushed = flushes_;
        return std::move(prepared_);
    }

private:
    EncryptionAhead& ahead_;
    const PlannedFile file_;
    std::unique_ptr<Prepared> prepared_;
    Helper* helper_ = nullptr;
    FileEncryptor::OpenBody body_;
    bool opened_ = false;
    bool quietReported_ = false;
    bool flushes_ = false;  // alone on its thread: the container is flushed when made
};

EncryptionAhead::EncryptionAhead(SenderKeys sender, std::shared_ptr<KeyMaterialCache> keys, size_t helpers,
                                 bool streamsTogether)
    : sender_(std::move(sender)), keys_(std::move(keys)), streamsTogether_(streamsTogether), work_(0)
{
    // The encryptors exist before a helper thread can reach them: a lane's
    // for every helper and for the batch's own thread.
    for (size_t h = 0; h < (helpers + 1) * MultiStreamTransform::kLanes; ++h)
        helpers_.push_back(std::make_unique<Helper>());
    work_.start(helpers);
}

EncryptionAhead::~EncryptionAhead() { work_.cancel(); }

void EncryptionAhead::expect(const std::vector<PlannedFile>& files, int mode, int keySource)
{
    std::vector<WorkAhead::Expected> work;
    for (const PlannedFile& file : files) {
        WorkAhead::Expected expected{claimKey(file.plainPath, file.outputPath),
                                     [this, file, mode, keySource, settings = settings_](size_t helper) {
                                         return Making(*this, file, mode, keySource, settings).run(helper);
                                     }};
        if (streamsTogether_)
            expected.stream = [this, file, mode, keySource, settings = settings_] {
                return std::make_unique<Making>(*this, file, mode, keySource, settings);
            };
        work.push_back(std::move(expected));
    }
    work_.expect(std::move(work));
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
