#include "workbench/DecryptionAhead.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/CryptoErrors.h"
#include "platform/FileIo.h"
#include "workbench/BatchFiles.h"
#include "workbench/CountingInteraction.h"

#include <unistd.h>

namespace mvx {

struct DecryptionAhead::Helper {
    CMessageTable table;
    CountingInteraction ui;
    CMessenger messenger{table, ui};
    FileDecryptor decryptor;

    Helper(const std::string& ownPublicKeyFile, const std::string& ownPrivateKeyFile,
           std::shared_ptr<KeyMaterialCache> keys)
        : decryptor(messenger, ownPublicKeyFile, ownPrivateKeyFile)
    {
        decryptor.setKeyCache(std::move(keys));
    }
};

DecryptionAhead::Prepared::~Prepared()
{
    if (ownsFile && !made.bodyPath.empty())
        ::unlink(made.bodyPath.c_str());
}

// One container opened ahead: its body's keystream runs alone (run) or
// beside other containers' (start, then finish when the stream ended).
class DecryptionAhead::Making : public WorkAhead::StreamJob {
public:
    Making(DecryptionAhead& ahead, const PlannedFile& file) : ahead_(ahead), file_(file), prepared_(std::make_unique<Prepared>())
    {
        prepared_->containerPath = file.containerPath;
        prepared_->outputFolder = BatchFiles::folderOf(file.outputPath);
    }

    std::unique_ptr<WorkAhead::Piece> run(size_t helper)
    {
        MultiStreamTransform::Stream stream;
        flushes_ = true;
        const bool started = start(helper, 0, stream);
        return finish(started &&
                      stream.engine->transformFilePart(stream.inputFd, stream.byteCount, stream.outputFd));
    }

    bool start(size_t worker, size_t lane, MultiStreamTransform::Stream& stream) override
    {
        prepared_->containerStamp = FileStamp::of(file_.containerPath);
        prepared_->privateKeyStamp = FileStamp::of(ahead_.ownPrivateKeyFile_);
        FdGuard body(createTemporaryBeside(file_.outputPath, 0600, bodyPath_));
        if (!prepared_->containerStamp || !prepared_->privateKeyStamp || !body.valid())
            return false;
        body.close();
        helper_ = &ahead_.helperFor(worker, lane);
        FileDecryptor& decryptor = helper_->decryptor;
        decryptor.setStopFlag(ahead_.stop_);
        helper_->ui.shown = 0;
        CryptoErrors::QuietScope quiet;
        started_ = decryptor.startPrepare(file_.containerPath, bodyPath_, prepared_->made, body_);
        quietReported_ = quiet.reported();
        if (started_ != FileDecryptor::kPrepareBody)
            return false;
        stream = {&decryptor.engine(), body_.in.get(), body_.out.get(), prepared_->made.layout.bodyLength, false};
        return true;
    }

    std::unique_ptr<WorkAhead::Piece> finish(bool streamed) override
    {
        bool made = started_ == FileDecryptor::kPrepareNoBody;
        if (started_ == FileDecryptor::kPrepareBody) {
            CryptoErrors::QuietScope quiet;
            // A flush here would hold up the other lanes: the batch flushes a streamed body when it takes it.
            made = helper_->decryptor.finishPrepare(prepared_->made, body_, streamed, flushes_);
            quietReported_ = quietReported_ || quiet.reported();
        }
        if (prepared_->made.bodyPath.empty() && !bodyPath_.empty())
            ::unlink(bodyPath_.c_str());
        prepared_->ready = made && helper_->ui.shown == 0 && !quietReported_ &&
                           FileStamp::of(file_.containerPath) == prepared_->containerStamp;
        return std::move(prepared_);
    }

private:
    DecryptionAhead& ahead_;
    const PlannedFile file_;
    std::unique_ptr<Prepared> prepared_;
    std::string bodyPath_;
    Helper* helper_ = nullptr;
    FileDecryptor::PreparingBody body_;
    int started_ = FileDecryptor::kPrepareFailed;
    bool quietReported_ = false;
    bool flushes_ = false;  // alone on its thread: the body is flushed when made
};

DecryptionAhead::DecryptionAhead(std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                                 std::shared_ptr<KeyMaterialCache> keys, size_t helpers, bool streamsTogether)
    : ownPublicKeyFile_(std::move(ownPublicKeyFile)), ownPrivateKeyFile_(std::move(ownPrivateKeyFile)),
      keys_(std::move(keys)), streamsTogether_(streamsTogether), work_(0)
{
    // The decryptors exist before a helper thread can reach them: a lane's
    // for every helper and for the batch's own thread.
    for (size_t h = 0; h < (helpers + 1) * MultiStreamTransform::kLanes; ++h)
        helpers_.push_back(std::make_unique<Helper>(ownPublicKeyFile_, ownPrivateKeyFile_, keys_));
    work_.start(helpers);
}

DecryptionAhead::~DecryptionAhead() { work_.cancel(); }

void DecryptionAhead::expect(const std::vector<PlannedFile>& files)
{
    std::vector<WorkAhead::Expected> work;
    for (const PlannedFile& file : files) {
        WorkAhead::Expected expected{file.containerPath,
                                     [this, file](size_t helper) { return Making(*this, file).run(helper); }};
        if (streamsTogether_)
            expected.stream = [this, file] { return std::make_unique<Making>(*this, file); };
        work.push_back(std::move(expected));
    }
    work_.expect(std::move(work));
}

std::unique_ptr<DecryptionAhead::Prepared> DecryptionAhead::claim(const std::string& containerPath)
{
    std::unique_ptr<WorkAhead::Piece> piece = work_.claim(containerPath);
    auto* prepared = dynamic_cast<Prepared*>(piece.get());
    if (!prepared || !prepared->ready || FileStamp::of(containerPath) != prepared->containerStamp ||
        FileStamp::of(ownPrivateKeyFile_) != prepared->privateKeyStamp)
        return nullptr;
    piece.release();
    return std::unique_ptr<Prepared>(prepared);
}

} // namespace mvx
