#include "WorkbenchFixture.h"

#include "app/FileFilter.h"
#include "platform/Clock.h"
#include "workbench/DestinationChoiceRules.h"
#include "workbench/EncryptBatch.h"
#include "workbench/MiniWindowPlacement.h"
#include "workbench/ProgressFileCrypto.h"

namespace mvx::test {
namespace {

class KeyListSelTest : public WorkbenchTest {
protected:
    KeyListSelTest() { Clock::setFixed(1'800'000'000); }
    ~KeyListSelTest() override { Clock::useSystem(); }

    DestinationChoiceRules selection{false};
};

TEST_F(KeyListSelTest, OkChecksTheLimitFirstThenThePartnerAndHandsOverTheChoices)
{
    selection.options.timeLimitOn = true;
    selection.options.number = "0";
    EXPECT_FALSE(selection.onOk(messenger, false).accepted);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"The range that can set time is 1 to 99."});

    ui.clear();
    selection.options.number = "\xEF\xBC\x91\xEF\xBC\x92";  // "１２" in full-width digits
    EXPECT_FALSE(selection.onOk(messenger, false).accepted);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Not select partber's address."});

    selection.chosen.add({"Pat", "pat@example.org", partnerKey, AddressRow::Kind::Authenticated});
    selection.chosen.add({"Pat again", "", partnerKey, AddressRow::Kind::Authenticated});
    ASSERT_TRUE(selection.onOk(messenger, true).accepted);
    const EncryptChoices choices = selection.choices();
    EXPECT_EQ(choices.destinations, std::vector<std::string>{partnerKey});
    EXPECT_TRUE(choices.mail);
    EXPECT_TRUE(choices.options.timeLimitOn);
    EXPECT_EQ(choices.options.timeLimit.seconds, 12u * 3600u);
}

TEST_F(KeyListSelTest, AnOutOfRangeNumberWithTheLimitOffBecomesOne)
{
    selection.options.number = "0";
    selection.chosen.add({"Pat", "pat@example.org", partnerKey, AddressRow::Kind::Authenticated});
    EXPECT_TRUE(selection.onOk(messenger, false).accepted);
    EXPECT_EQ(selection.options.number, "1");
    EXPECT_TRUE(ui.texts().empty());
}

TEST(TimeLimitEnablingTest, ControlsFollowTheSwitchAndTheKind)
{
    const auto off = TimeLimitEnabling::of(false, EncryptOptionRules::kDirectDate);
    EXPECT_FALSE(off.modes || off.numberAndUnit || off.dateAndTime);
    const auto relative = TimeLimitEnabling::of(true, EncryptOptionRules::kAfterFirstDecryption);
    EXPECT_TRUE(relative.modes && relative.numberAndUnit && !relative.dateAndTime);
    const auto direct = TimeLimitEnabling::of(true, EncryptOptionRules::kDirectDate);
    EXPECT_TRUE(direct.modes && !direct.numberAndUnit && direct.dateAndTime);
}

TEST(MiniWindowPlacementTest, CornersAndTheLastPositionStayOnTheScreen)
{
    const MiniWindowPlacement::Rect screen{0, 30, 1280, 770};
    const auto at = [&](int setting, MiniWindowPlacement::Point last = {}) {
        const auto p = MiniWindowPlacement::place(setting, screen, 200, 100, last);
        return std::make_pair(p.x, p.y);
    };
    EXPECT_EQ(at(1), std::make_pair(0, 30));
    EXPECT_EQ(at(2), std::make_pair(1080, 30));
    EXPECT_EQ(at(3), std::make_pair(0, 700));
    EXPECT_EQ(at(4), std::make_pair(1080, 700));
    EXPECT_EQ(at(0), at(4));
    EXPECT_EQ(at(5, {300, 400}), std::make_pair(300, 400));
    EXPECT_EQ(at(6, {300, 400}), std::make_pair(300, 400));
    EXPECT_EQ(at(5, {5000, -50}), std::make_pair(1080, 30));
}

TEST(FileFilterTest, ChooserFiltersBecomeDesktopFilters)
{
    const auto filters = FileFilter::parse("すべてのtxtファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*||");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].desktopFilter(), "すべてのtxtファイル(*.txt)");
    EXPECT_EQ(filters[1].desktopFilter(), "全てのファイル(*)");
    EXPECT_EQ(FileFilter::parse("Key files|*.kpub;*.kpri|")[0].desktopFilter(), "Key files (*.kpub *.kpri)");
    EXPECT_TRUE(FileFilter::parse("").empty());
}

} // namespace
} // namespace mvx::test

namespace mvx::test {
namespace {

// The batch's plan of files and its end reach the engine through the
// progress counting that both front ends put in front of it.
class CountingFileCrypto : public RecordingFileCrypto {
public:
    size_t planned = 0;
    int finished = 0;
    void expectEncryptions(const std::vector<PlannedFile>& files, int, int) override { planned += files.size(); }
    void finishBatch() override { ++finished; }
};

TEST_F(WorkbenchTest, ProgressCountingPassesTheBatchPlanAndItsEndToTheEngine)
{
    CountingFileCrypto engine;
    ProgressLine line({}, "%d/%d files, %s of %s, %s/s", 0, 0);
    ProgressFileCrypto counted(engine, line);
    context.crypto = &counted;
    chooser.choices = EncryptChoices{{context.keys.selfAuthKeyFile}, {}, false};
    work.setFiles({write("a.txt", "a"), write("b.txt", "b")});
    EXPECT_EQ(EncryptBatch(context).run({}).containers.size(), 2u);
    EXPECT_EQ(engine.planned, 2u);
    EXPECT_EQ(engine.finished, 1);
}

} // namespace
} // namespace mvx::test
