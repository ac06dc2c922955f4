#include "KeysTestSupport.h"

#include "keys/AuthExpiryRules.h"

using namespace mvx;
using namespace mvx::test;

namespace {

SystemTime day(int year, int month, int dayOfMonth, int hour = 12)
{
    return SystemTime::fromUnix(SystemTime{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0,
                                           static_cast<uint16_t>(dayOfMonth), static_cast<uint16_t>(hour), 0, 0, 0}
                                    .toUnix());
}

void expectEndOfDay(const SystemTime& t, int year, int month, int dayOfMonth)
{
    EXPECT_EQ(t.year, year);
    EXPECT_EQ(t.month, month);
    EXPECT_EQ(t.day, dayOfMonth);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 59);
}

class ExpiryTest : public KeysTest {
protected:
    SystemTime enforcedPreset(int preset, const SystemTime& today)
    {
        Clock::setFixed(today.toUnix());
        AuthExpiryRules limits;
        limits.noLimit = false;
        limits.presetIndex = preset;
        EXPECT_TRUE(limits.enforce(messenger));
        SystemTime expiry;
        EXPECT_EQ(limits.expiry(expiry), 1);
        return expiry;
    }
};

} // namespace

TEST_F(ExpiryTest, OneMonthFromTheEndOfJanuaryCarriesIntoMarch)
{
    expectEndOfDay(enforcedPreset(AuthExpiryRules::OneMonth, day(2027, 1, 31)), 2027, 3, 3);
    expectEndOfDay(enforcedPreset(AuthExpiryRules::OneMonth, day(2028, 1, 31)), 2028, 3, 2);
}

TEST_F(ExpiryTest, OneMonthFromMidDecemberIsNextJanuary)
{
    expectEndOfDay(enforcedPreset(AuthExpiryRules::OneMonth, day(2026, 12, 15)), 2027, 1, 15);
}

TEST_F(ExpiryTest, OneYearFromLeapDayCarriesIntoMarch)
{
    expectEndOfDay(enforcedPreset(AuthExpiryRules::OneYear, day(2028, 2, 29)), 2029, 3, 1);
}

TEST_F(ExpiryTest, EndOfYearAndEndOfFiscalYear)
{
    expectEndOfDay(enforcedPreset(AuthExpiryRules::EndOfYear, day(2026, 12, 31, 23)), 2026, 12, 31);
    expectEndOfDay(enforcedPreset(AuthExpiryRules::EndOfFiscalYear, day(2026, 3, 31)), 2026, 3, 31);
    expectEndOfDay(enforcedPreset(AuthExpiryRules::EndOfFiscalYear, day(2026, 4, 1)), 2027, 3, 31);
    expectEndOfDay(enforcedPreset(AuthExpiryRules::EndOfFiscalYear, day(2026, 1, 10)), 2026, 3, 31);
}

TEST_F(ExpiryTest, NoLimitAndNoSelectionGiveNoExpiry)
{
    AuthExpiryRules limits;
    EXPECT_TRUE(limits.enforce(messenger));
    SystemTime expiry{2000, 1, 0, 1};
    EXPECT_EQ(limits.expiry(expiry), 0);
    EXPECT_FALSE(expiry.isSet());

    limits.noLimit = false;
    limits.presetIndex = AuthExpiryRules::NoSelection;
    EXPECT_TRUE(limits.enforce(messenger));
    EXPECT_EQ(limits.expiry(expiry), 0);
}

TEST_F(ExpiryTest, CalendarRefusesTodayAndAcceptsTomorrow)
{
    Clock::setFixed(day(2026, 7, 10, 9).toUnix());
    AuthExpiryRules limits;
    limits.noLimit = false;
    limits.usePreset = false;
    limits.calendarDate = day(2026, 7, 10);
    EXPECT_FALSE(limits.enforce(messenger));
    EXPECT_EQ(ui.last().text, "Select the date before today.");
    EXPECT_EQ(ui.last().icon, MsgIcon::Exclamation);
    SystemTime expiry;
    EXPECT_EQ(limits.expiry(expiry), 0);

    limits.calendarDate = day(2026, 7, 11);
    EXPECT_TRUE(limits.enforce(messenger));
    ASSERT_EQ(limits.expiry(expiry), 1);
    expectEndOfDay(expiry, 2026, 7, 11);
    EXPECT_EQ(ui.shown().size(), 1u);
}

TEST_F(ExpiryTest, HistoryRowsShowNotSettingWithoutExpiry)
{
    Clock::setFixed(day(2026, 8, 1, 14).toUnix());
    CAuthManager history;
    history.append("/k/bob))alice-auth.kpub", 42, SystemTime{});
    history.append("/k/carol))alice-auth.kpub", 43, AuthExpiryRules::endOfDay(2027, 2, 1));
    const auto rows = history.rows(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].date, "2026/08/01 14:00");
    EXPECT_EQ(rows[0].fileName, "bob))alice-auth.kpub");
    EXPECT_EQ(rows[0].timeLimit, "Not setting");
    EXPECT_EQ(rows[1].timeLimit, "2027/02/01");

    ASSERT_TRUE(history.save(folder.file("authhistory.dat")));
    EXPECT_EQ(bytesOf(folder.file("authhistory.dat")).size(), 4u + 2 * 304);
    CAuthManager back;
    ASSERT_TRUE(back.load(folder.file("authhistory.dat")));
    ASSERT_EQ(back.records().size(), 2u);
    EXPECT_EQ(back.records()[1].fingerprint, 43u);
    EXPECT_EQ(back.records()[1].expiry, AuthExpiryRules::endOfDay(2027, 2, 1));
    EXPECT_TRUE(back.containsFingerprint(42));
    EXPECT_FALSE(back.containsFingerprint(44));

    CAuthManager missing;
    EXPECT_FALSE(missing.load(folder.file("none.dat")));
    EXPECT_TRUE(missing.records().empty());
}
