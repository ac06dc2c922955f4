#include "engine/RecipientRecordTable.h"
#include "engine/RecordTimes.h"

#include <gtest/gtest.h>

using namespace mvx;

namespace {

constexpr int64_t kNow = 1772452800;
constexpr int64_t kDay = 86400;

SystemTime at(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    SystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    return t;
}

SystemTime secondsFromNow(int64_t seconds) { return SystemTime::fromUnix(static_cast<time_t>(kNow + seconds), 789); }

SystemTime withYear(SystemTime t, int year)
{
    t.year = static_cast<uint16_t>(year);
    return t;
}

RecipientRecordTable::Record recordWith(const SystemTime& encrypted, const SystemTime& start)
{
    RecipientRecordTable::Record record{};
    encrypted.toBytes(record.data() + RecordOffset::kEncryptionTime);
    start.toBytes(record.data() + RecordOffset::kLimitStart);
    return record;
}

} // namespace

TEST(RecordTimes, CalendarDates)
{
    struct Case {
        SystemTime time;
        bool valid;
    };
    const Case cases[] = {
        {at(2026, 3, 2, 14, 5, 6), true},
        {at(2024, 2, 29), true},  // leap year
        {at(2000, 2, 29), true},  // divisible by 400
        {at(2100, 2, 29), false}, // divisible by 100 only
        {at(2025, 2, 29), false},
        {at(2026, 4, 31), false},
        {at(2026, 12, 31, 23, 59, 59), true},
        {at(2026, 0, 1), false},
        {at(2026, 13, 1), false},
        {at(2026, 1, 0), false},
        {at(2026, 1, 32), false},
        {at(2026, 1, 1, 24), false},
        {at(2026, 1, 1, 0, 60), false},
        {at(2026, 1, 1, 0, 0, 60), false},
        {at(1969, 12, 31), false},
        {at(1970, 1, 1, 0, 0, 0), true},
        {at(9999, 12, 31), true},
        {at(10000, 1, 1), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordTimes::isCalendarDate(c.time), c.valid)
            << c.time.year << "-" << c.time.month << "-" << c.time.day << " " << c.time.hour << ":" << c.time.minute
            << ":" << c.time.second;
}

TEST(RecordTimes, OnlyTimesAClockCanHaveGivenArePlausible)
{
    const SystemTime encrypted = secondsFromNow(-3600);
    SystemTime monthOnly;
    monthOnly.month = 3;
    SystemTime minute60 = encrypted;  // reads as the next hour: after the encryption, yet no date
    minute60.minute = 60;
    struct Case {
        const char* what;
        SystemTime encrypted;
        SystemTime start;
        bool plausible;
    };
    const Case cases[] = {
        {"limit counts from the encryption", encrypted, SystemTime(), true},
        {"first decryption still to come", encrypted, encrypted, true},
        {"started a day after the encryption", encrypted, secondsFromNow(-3600 + kDay), true},
        {"started 59 s before the encryption", encrypted, secondsFromNow(-3600 - 59), true},
        {"started a minute before the encryption", encrypted, secondsFromNow(-3600 - 60), false},
        {"start year 2026 with bit 8 flipped", encrypted, withYear(encrypted, 2026 ^ 0x0100), false},
        {"start year 2026 with bit 11 flipped", encrypted, withYear(encrypted, 2026 ^ 0x0800), false},
        {"start without a year", encrypted, monthOnly, false},
        {"no encryption time", SystemTime(), SystemTime(), false},
        {"encryption year flipped into the past", withYear(encrypted, 2026 ^ 0x0100), SystemTime(), false},
        {"encryption two minutes ahead (the clock rule decides)", secondsFromNow(120), SystemTime(), true},
        {"encryption a year and two days ahead", secondsFromNow(367 * kDay), SystemTime(), false},
        {"start a day ahead (the clock rule decides)", encrypted, secondsFromNow(kDay), true},
        {"start a year and two days ahead", encrypted, secondsFromNow(367 * kDay), false},
        {"encryption in month 13", at(2026, 13, 1), SystemTime(), false},
        {"start on day 0", encrypted, at(2026, 3, 0), false},
        {"start in minute 60", encrypted, minute60, false},
        {"encryption in minute 60", minute60, SystemTime(), false},
    };
    for (const Case& c : cases) {
        const auto record = recordWith(c.encrypted, c.start);
        EXPECT_EQ(RecordTimes(record.data()).plausible(kNow), c.plausible) << c.what;
    }
}

TEST(RecordTimes, TheIntervalStartsAtTheFirstDecryptionOnceThereWasOne)
{
    const SystemTime encrypted = secondsFromNow(-3600);
    const SystemTime started = secondsFromNow(-60);
    const auto fromEncryption = recordWith(encrypted, SystemTime());
    const auto beforeFirst = recordWith(encrypted, encrypted);
    const auto afterFirst = recordWith(encrypted, started);
    EXPECT_FALSE(RecordTimes(fromEncryption.data()).firstDecryption());
    EXPECT_EQ(RecordTimes(fromEncryption.data()).intervalStart(), encrypted.toUnix());
    EXPECT_TRUE(RecordTimes(beforeFirst.data()).firstDecryption());
    EXPECT_EQ(RecordTimes(beforeFirst.data()).intervalStart(), encrypted.toUnix());
    EXPECT_FALSE(RecordTimes(afterFirst.data()).firstDecryption());
    EXPECT_EQ(RecordTimes(afterFirst.data()).intervalStart(), started.toUnix());
}
