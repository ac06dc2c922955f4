#include "WorkbenchFixture.h"

#include "platform/Clock.h"
#include "workbench/CEncryptOptDlg.h"

namespace mvx::test {
namespace {

class CEncryptOptDlgTest : public WorkbenchTest {
protected:
    CEncryptOptDlgTest() { Clock::setFixed(kNow); }
    ~CEncryptOptDlgTest() override { Clock::useSystem(); }

    static constexpr int64_t kNow = 1'800'000'000;
};

TEST_F(CEncryptOptDlgTest, DefaultsTakeTheDeleteSettingAndTheCurrentTime)
{
    const CEncryptOptDlg dialog(true);
    const SystemTime now = SystemTime::fromUnix(kNow);
    EXPECT_TRUE(dialog.manageLogs);
    EXPECT_TRUE(dialog.deletePlainFiles);
    EXPECT_FALSE(dialog.timeLimitOn);
    EXPECT_EQ(dialog.limitMode, CEncryptOptDlg::kAfterEncryption);
    EXPECT_EQ(dialog.unit, CEncryptOptDlg::kHours);
    EXPECT_EQ(dialog.year, now.year);
    EXPECT_EQ(dialog.hour, now.hour);
    EXPECT_EQ(dialog.second, now.second);
    EXPECT_FALSE(CEncryptOptDlg(false).deletePlainFiles);
}

TEST_F(CEncryptOptDlgTest, ANumberOutOfRangeIsRefusedOnlyForARelativeLimitThatIsOn)
{
    CEncryptOptDlg dialog(false);
    dialog.timeLimitOn = true;
    for (const char* bad : {"", "0", "100", "x1"}) {
        dialog.number = bad;
        const auto result = dialog.onOk(messenger);
        EXPECT_FALSE(result.accepted) << bad;
        EXPECT_EQ(result.focus, CEncryptOptDlg::kNumberField);
    }
    EXPECT_EQ(messages(), std::vector<std::string>(4, "The range that can set time is 1 to 99."));

    dialog.timeLimitOn = false;
    dialog.number = "0";
    EXPECT_TRUE(dialog.onOk(messenger).accepted);
    EXPECT_EQ(dialog.number, "1");
    EXPECT_EQ(messages().size(), 4u);
}

TEST_F(CEncryptOptDlgTest, TimeFieldsOutOfRangeKeepTheDialogOpenOnTheirField)
{
    CEncryptOptDlg dialog(false);
    dialog.number = "5";
    dialog.hour = 24;
    EXPECT_EQ(dialog.onOk(messenger).focus, CEncryptOptDlg::kHourField);
    dialog.hour = 23;
    dialog.minute = 60;
    EXPECT_EQ(dialog.onOk(messenger).focus, CEncryptOptDlg::kMinuteField);
    dialog.minute = 59;
    dialog.second = 60;
    EXPECT_EQ(dialog.onOk(messenger).focus, CEncryptOptDlg::kSecondField);
    dialog.second = 0;
    EXPECT_TRUE(dialog.onOk(messenger).accepted);
}

TEST_F(CEncryptOptDlgTest, ADirectDateMustLieAfterNow)
{
    CEncryptOptDlg dialog(false);
    dialog.timeLimitOn = true;
    dialog.limitMode = CEncryptOptDlg::kDirectDate;
    EXPECT_FALSE(dialog.onOk(messenger).accepted);  // preset to now
    EXPECT_EQ(messages(), std::vector<std::string>{"Please specify timelimit after this time."});
    EXPECT_EQ(dialog.number, "1");

    const SystemTime later = SystemTime::fromUnix(kNow + 90);
    dialog.hour = later.hour;
    dialog.minute = later.minute;
    dialog.second = later.second;
    dialog.day = later.day;
    dialog.month = later.month;
    dialog.year = later.year;
    ASSERT_TRUE(dialog.onOk(messenger).accepted);
    const EncryptOptions options = dialog.options();
    EXPECT_EQ(options.deadline, std::optional<int64_t>(kNow + 90));
    EXPECT_EQ(options.timeLimit.seconds, 0u);
    EXPECT_EQ(dialog.limitKind(), 0);
}

TEST_F(CEncryptOptDlgTest, ADayTheMonthDoesNotHaveIsRefused)
{
    CEncryptOptDlg dialog(false);
    dialog.timeLimitOn = true;
    dialog.limitMode = CEncryptOptDlg::kDirectDate;
    dialog.year = 2099;
    dialog.month = 2;
    dialog.day = 30;
    EXPECT_EQ(dialog.onOk(messenger).focus, CEncryptOptDlg::kDateField);
}

TEST_F(CEncryptOptDlgTest, TheLimitInSecondsFollowsNumberAndUnit)
{
    CEncryptOptDlg dialog(false);
    dialog.timeLimitOn = true;
    dialog.number = "2";
    dialog.unit = CEncryptOptDlg::kYears;
    EXPECT_EQ(dialog.limitSeconds(), 2u * 365u * 86400u);
    dialog.unit = CEncryptOptDlg::kWeeks;
    EXPECT_EQ(dialog.limitSeconds(), 2u * 604800u);
    dialog.unit = CEncryptOptDlg::kDays;
    EXPECT_EQ(dialog.limitSeconds(), 172800u);
    dialog.unit = CEncryptOptDlg::kHours;
    EXPECT_EQ(dialog.limitSeconds(), 7200u);
    dialog.unit = CEncryptOptDlg::kMinutes;
    EXPECT_EQ(dialog.limitSeconds(), 120u);
    dialog.unit = CEncryptOptDlg::kSeconds;
    EXPECT_EQ(dialog.limitSeconds(), 2u);
    dialog.number = "99";
    dialog.unit = CEncryptOptDlg::kYears;
    EXPECT_EQ(dialog.limitSeconds(), 3'122'064'000u);

    dialog.limitMode = CEncryptOptDlg::kAfterFirstDecryption;
    ASSERT_TRUE(dialog.onOk(messenger).accepted);
    const EncryptOptions options = dialog.options();
    EXPECT_EQ(dialog.limitKind(), 1);
    EXPECT_TRUE(options.timeLimit.fromFirstDecryption);
    EXPECT_EQ(options.timeLimit.seconds, 3'122'064'000u);
    EXPECT_FALSE(options.deadline.has_value());
}

TEST_F(CEncryptOptDlgTest, WithTheLimitOffNoLimitIsHandedOver)
{
    CEncryptOptDlg dialog(false);
    dialog.number = "5";
    dialog.manageLogs = false;
    dialog.outputFolder = "/out/";
    ASSERT_TRUE(dialog.onOk(messenger).accepted);
    const EncryptOptions options = dialog.options();
    EXPECT_FALSE(options.timeLimitOn);
    EXPECT_EQ(options.timeLimit.seconds, 0u);
    EXPECT_FALSE(options.history);
    EXPECT_EQ(options.outputFolder, "/out/");
}

} // namespace
} // namespace mvx::test
