// The order in which batches make their outputs durable and destroy what the
// outputs replace, watched at the file primitives.
#include "WorkbenchFixture.h"

#include "platform/FileIo.h"
#include "platform/SecureDelete.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/ProtectedFolder.h"

#include <functional>
#include <mutex>

namespace mvx::test {
namespace {

class DurableOrderTest : public WorkbenchTest {
protected:
    DurableOrderTest()
    {
        watchDurableSteps([this](DurableStep step, const std::string& path) { return record(stepName(step), path); });
        context.secureDelete = [this](const std::string& path) {
            record("destroy", path);
            return ::unlink(path.c_str()) == 0 ? 1 : 0;
        };
    }
    ~DurableOrderTest() override { watchDurableSteps({}); }

    static std::string stepName(DurableStep step)
    {
        switch (step) {
        case DurableStep::FlushFile: return "flush";
        case DurableStep::FlushFolder: return "flushFolder";
        case DurableStep::Rename: return "rename";
        case DurableStep::Remove: return "remove";
        }
        return "?";
    }

    // "step path", the path relative to the temporary folder, a temporary
    // output file named "temporary".
    bool record(const std::string& step, const std::string& path)
    {
        const std::string line = step + " " + shown(path);
        std::lock_guard lock(mutex_);
        steps.push_back(line);
        return line != failing;
    }

    std::string shown(const std::string& path) const
    {
        const std::string root = temp.file("");
        const std::string relative = path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
        return relative.find("/.~") != std::string::npos ? "temporary" : relative;
    }

    std::mutex mutex_;
    std::vector<std::string> steps;
    std::string failing;  // the step that fails, as recorded
};

using Steps = std::vector<std::string>;

// Each flow: the output is flushed under its temporary name, renamed, its
// folder flushed, and only then is the input destroyed.
TEST_F(DurableOrderTest, OutputsReachTheDiskBeforeTheirInputsGo)
{
    struct Flow {
        const char* name;
        std::function<void()> run;
        Steps expected;
    };
    const Flow flows[] = {
        {"encryption deleting the plain file",
         [&] {
             write("docs/a.txt", "plain");
             chooser.choices = EncryptChoices{{partnerKey}, {}, false};
             chooser.choices->options.deletePlainFiles = true;
             chooser.choices->options.history = false;
             ui.answerYesNo(true);
             work.setFiles(files({"docs/a.txt"}));
             EncryptBatch(context).run({});
         },
         {"flush temporary", "rename docs/a.txt.klx", "flushFolder docs/", "destroy docs/a.txt"}},
        {"decryption deleting the container",
         [&] {
             writeContainer("docs/b.txt.klx", "plain");
             context.settings.deleteCheck2 = true;
             work.setFiles(files({"docs/b.txt.klx"}));
             DecryptBatch(context).run(kKindFromDestinationList);
         },
         {"flush temporary", "rename docs/b.txt", "flushFolder docs/", "destroy docs/b.txt.klx"}},
        {"protected folder at exit",
         [&] {
             write("vault/c.txt", "plain");
             ProtectedFolder(context, temp.file("vault")).encryptAtExit(false);
         },
         {"flush temporary", "rename vault/c.txt.klx", "flushFolder vault/", "destroy vault/c.txt"}},
        {"protected folder at start",
         [&] {
             writeContainer("vault/d.txt.klx", "plain");
             ProtectedFolder(context, temp.file("vault")).decryptAtStart();
         },
         {"flush temporary", "rename vault/d.txt", "flushFolder vault/", "remove vault/d.txt.klx"}},
    };
    for (const Flow& flow : flows) {
        SCOPED_TRACE(flow.name);
        std::filesystem::remove_all(temp.file("docs"));
        std::filesystem::remove_all(temp.file("vault"));
        std::filesystem::create_directories(temp.file("vault"));
        steps.clear();
        flow.run();
        // Flushing the folders once more when the batch ends is harmless.
        Steps taken = steps;
        while (taken.size() > flow.expected.size() && taken.back().rfind("flushFolder", 0) == 0)
            taken.pop_back();
        EXPECT_EQ(taken, flow.expected);
    }
}

// A flush or a rename the system refuses: the failure is told, the input stays
// and no output carries its name.
TEST_F(DurableOrderTest, AFailedFlushOrRenameIsReportedAndKeepsTheInput)
{
    struct Fault {
        const char* failing;
        bool encrypt;
        const char* input;
        const char* output;
        int message;
    };
    const Fault faults[] = {
        {"flush temporary", true, "docs/a.txt", "docs/a.txt.klx", Msg::ContainerWriteFailed},
        {"rename docs/a.txt.klx", true, "docs/a.txt", "docs/a.txt.klx", Msg::ContainerWriteFailed},
        {"flush temporary", false, "docs/a.txt.klx", "docs/a.txt", Msg::PlainFileWriteFailed},
        {"rename docs/a.txt", false, "docs/a.txt.klx", "docs/a.txt", Msg::PlainFileWriteFailed},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(std::string(fault.failing) + (fault.encrypt ? " in encryption" : " in decryption"));
        std::filesystem::remove_all(temp.file("docs"));
        ui.clear();
        failing = fault.failing;
        if (fault.encrypt) {
            write(fault.input, "plain");
            chooser.choices = EncryptChoices{{partnerKey}, {}, false};
            chooser.choices->options.deletePlainFiles = true;
            chooser.choices->options.history = false;
            ui.answerYesNo(true);
            work.setFiles(files({fault.input}));
            const auto outcome = EncryptBatch(context).run({});
            EXPECT_TRUE(outcome.deletedPlainFiles.empty());
        } else {
            writeContainer(fault.input, "plain");
            context.settings.deleteCheck2 = true;
            work.setFiles(files({fault.input}));
            const auto outcome = DecryptBatch(context).run(kKindFromDestinationList);
            EXPECT_TRUE(outcome.decrypted.empty());
            EXPECT_TRUE(outcome.deletedContainers.empty());
        }
        EXPECT_TRUE(exists(temp.file(fault.input)));
        EXPECT_FALSE(exists(temp.file(fault.output)));
        EXPECT_TRUE(ui.showed(messenger.format(fault.message, temp.file(fault.output))))
            << ::testing::PrintToString(messages());
    }
}

// The primitives themselves say when the system refused.
TEST_F(DurableOrderTest, APrimitiveOnAMissingPathReportsTheFailure)
{
    const std::string missing = temp.file("missing/file.txt");
    EXPECT_FALSE(flushFile(missing));
    EXPECT_FALSE(flushFolder(temp.file("missing/")));
    EXPECT_FALSE(renameFile(missing, temp.file("renamed.txt")));
    EXPECT_FALSE(removeFile(missing));
    const std::string there = write("there.txt", "x");
    EXPECT_TRUE(flushFile(there));
    EXPECT_TRUE(flushFolder(temp.file("")));
    failing = "flush there.txt";
    EXPECT_FALSE(flushFile(there));
}

// A link given for secure deletion (a file chosen through a link): the file it
// points at is neither overwritten nor made, and success means the link is gone.
TEST_F(DurableOrderTest, SecureDeletionThroughASymbolicLinkLeavesTheTargetAlone)
{
    const std::string target = write("elsewhere/kept.txt", "the target's bytes");
    for (const std::string& pointsAt : {target, temp.file("elsewhere/missing.txt")}) {
        SCOPED_TRACE(pointsAt);
        const std::string link = temp.file("docs/link.txt");
        std::filesystem::create_directories(temp.file("docs"));
        std::filesystem::remove(link);
        std::filesystem::create_symlink(pointsAt, link);
        const int deleted = SecureDelete(link);
        EXPECT_EQ(read(target), "the target's bytes");
        EXPECT_FALSE(exists(temp.file("elsewhere/missing.txt")));
        EXPECT_EQ(deleted != 0, !std::filesystem::is_symlink(link));
    }
}

} // namespace
} // namespace mvx::test
