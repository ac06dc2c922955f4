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

DecryptionAhead::DecryptionAhead(std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                                 std::shared_ptr<KeyMaterialCache> keys, size_t helpers)
    : ownPublicKeyFile_(std::move(ownPublicKeyFile)), ownPrivateKeyFile_(std::move(ownPrivateKeyFile)),
      keys_(std::move(keys)), work_(0)
{
    // The decryptors exist before a helper thread can reach them.
    for (size_t h = 0; h < helpers; ++h)
        helpers_.push_back(std::make_unique<Helper>(ownPublicKeyFile_, ownPrivateKeyFile_, keys_));
    work_.start(helpers);
}

DecryptionAhead::~DecryptionAhead() { work_.cancel(); }

void DecryptionAhead::expect(const std::vector<PlannedFile>& files)
{
    std::vector<WorkAhead::Expected> work;
    for (const PlannedFile& file : files)
        work.push_back({file.containerPath, [this, file](size_t helper) { return make(helper, file); }});
    work_.expect(std::move(work));
}

std::unique_ptr<WorkAhead::Piece> DecryptionAhead::make(size_t helper, const PlannedFile& file)
{
    auto prepared = std::make_unique<Prepared>();
    prepared->containerPath = file.containerPath;
    prepared->outputFolder = BatchFiles::folderOf(file.outputPath);
    prepared->containerStamp = FileStamp::of(file.containerPath);
    prepared->privateKeyStamp = FileStamp::of(ownPrivateKeyFile_);
    std::string bodyPath;
    FdGuard body(createTemporaryBeside(file.outputPath, 0600, bodyPath));
    if (!prepared->containerStamp || !prepared->privateKeyStamp || !body.valid())
        return prepared;
    body.close();

    Helper& h = *helpers_[helper];
    h.decryptor.setStopFlag(stop_);
    h.ui.shown = 0;
    CryptoErrors::QuietScope quiet;
    const bool made = h.decryptor.prepare(file.containerPath, bodyPath, prepared->made);
    if (prepared->made.bodyPath.empty())
        ::unlink(bodyPath.c_str());
    prepared->ready = made && h.ui.shown == 0 && !quiet.reported() &&
                      FileStamp::of(file.containerPath) == prepared->containerStamp;
    return prepared;
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
