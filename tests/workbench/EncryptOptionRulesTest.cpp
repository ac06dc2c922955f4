#include "WorkbenchFixture.h"

#include "platform/Clock.h"
#include "workbench/EncryptOptionRules.h"

namespace mvx::test {
namespace {

class EncryptOptionRulesTest : public WorkbenchTest {
protected:
    EncryptOptionRulesTest() { Clock::setFixed(kNow); }
    ~EncryptOptionRulesTest() override { Clock::useSystem(); }

    static constexpr int64_t kNow = 1'800'000'000;
};

TEST_F(EncryptOptionRulesTest, DefaultsTakeTheDeleteSettingAndTheCurrentTime)
{
    const EncryptOptionRules dialog(true);
    const SystemTime now = SystemTime::fromUnix(kNow);
    EXPECT_TRUE(dialog.manageLogs);
    EXPECT_TRUE(dialog.deletePlainFiles);
    EXPECT_FALSE(dialog.timeLimitOn);
    EXPECT_EQ(dialog.limitMode, EncryptOptionRules::kAfterEncryption);
    EXPECT_EQ(dialog.unit, EncryptOptionRules::kHours);
    EXPECT_EQ(dialog.year, now.year);
    EXPECT_EQ(dialog.hour, now.hour);
    EXPECT_EQ(dialog.second, now.second);
    EXPECT_FALSE(EncryptOptionRules(false).deletePlainFiles);
}

TEST_F(EncryptOptionRulesTest, ANumberOutOfRangeIsRefusedOnlyForARelativeLimitThatIsOn)
{
    EncryptOptionRules dialog(false);
    dialog.timeLimitOn = true;
    for (const char* bad : {"", "0", "100", "x1"}) {
        dialog.number = bad;
        const auto result = dialog.onOk(messenger);
        EXPECT_FALSE(result.accepted) << bad;
        EXPECT_EQ(result.focus, EncryptOptionRules::kNumberField);
    }
    EXPECT_EQ(messages(), std::vector<std::string>(4, "The range that can set time is 1 to 99."));

    dialog.timeLimitOn = false;
    dialog.number = "0";
    EXPECT_TRUE(dialog.onOk(messenger).accepted);
    EXPECT_EQ(dialog.number, "1");
    EXPECT_EQ(messages().size(), 4u);
}

TEST_F(EncryptOptionRulesTest, TimeFieldsOutOfRangeKeepTheDialogOpenOnTheirField)
{
    EncryptOptionRules dialog(false);
    dialog.number = "5";
    dialog.hour = 24;
    EXPECT_EQ(dialog.onOk(messenger).focus, EncryptOptionRules::kHourField);
    dialog.hour = 23;
    dialog.minute = 60;
    EXPECT_EQ(dialog.onOk(messenger).focus, EncryptOptionRules::kMinuteField);
    dialog.minute = 59;
    dialog.second = 60;
    EXPECT_EQ(dialog.onOk(messenger).focus, EncryptOptionRules::kSecondField);
    dialog.second = 0;
    EXPECT_TRUE(dialog.onOk(messenger).accepted);
}

TEST_F(EncryptOptionRulesTest, ADirectDateMustLieAfterNow)
{
    EncryptOptionRules dialog(false);
    dialog.timeLimitOn = true;
    dialog.limitMode = EncryptOptionRules::kDirectDate;
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

TEST_F(EncryptOptionRulesTest, ADayTheMonthDoesNotHaveIsRefused)
{
    EncryptOptionRules dialog(false);
    dialog.timeLimitOn = true;
    dialog.limitMode = EncryptOptionRules::kDirectDate;
    dialog.year = 2099;
    dialog.month = 2;
    dialog.day = 30;
    EXPECT_EQ(dialog.onOk(messenger).focus, EncryptOptionRules::kDateField);
}

TEST_F(EncryptOptionRulesTest, TheLimitInSecondsFollowsNumberAndUnit)
{
    EncryptOptionRules dialog(false);
    dialog.timeLimitOn = true;
    dialog.number = "2";
    dialog.unit = EncryptOptionRules::kYears;
    EXPECT_EQ(dialog.limitSeconds(), 2u * 365u * 86400u);
    dialog.unit = EncryptOptionRules::kWeeks;
    EXPECT_EQ(dialog.limitSeconds(), 2u * 604800u);
    dialog.unit = EncryptOptionRules::kDays;
    EXPECT_EQ(dialog.limitSeconds(), 172800u);
    dialog.unit = EncryptOptionRules::kHours;
    EXPECT_EQ(dialog.limitSeconds(), 7200u);
    dialog.unit = EncryptOptionRules::kMinutes;
    EXPECT_EQ(dialog.limitSeconds(), 120u);
    dialog.unit = EncryptOptionRules::kSeconds;
    EXPECT_EQ(dialog.limitSeconds(), 2u);
    dialog.number = "99";
    dialog.unit = EncryptOptionRules::kYears;
    EXPECT_EQ(dialog.limitSeconds(), 3'122'064'000u);

    dialog.limitMode = EncryptOptionRules::kAfterFirstDecryption;
    ASSERT_TRUE(dialog.onOk(messenger).accepted);
    const EncryptOptions options = dialog.options();
    EXPECT_EQ(dialog.limitKind(), 1);
    EXPECT_TRUE(options.timeLimit.fromFirstDecryption);
    EXPECT_EQ(options.timeLimit.seconds, 3'122'064'000u);
    EXPECT_FALSE(options.deadline.has_value());
}

TEST_F(EncryptOptionRulesTest, WithTheLimitOffNoLimitIsHandedOver)
{
    EncryptOptionRules dialog(false);
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
