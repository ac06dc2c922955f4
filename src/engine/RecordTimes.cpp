#include "engine/RecordTimes.h"

#include "engine/RecipientRecordTable.h"

#include <algorithm>

namespace mvx {

namespace {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

RecordTimes::RecordTimes(const uint8_t* record)
    : encryption_(SystemTime::fromBytes(record + RecordOffset::kEncryptionTime)),
      start_(SystemTime::fromBytes(record + RecordOffset::kLimitStart))
{
    const uint8_t* start = record + RecordOffset::kLimitStart;
    startSet_ = std::any_of(start, start + SystemTime::kSize, [](uint8_t b) { return b != 0; });
}

bool RecordTimes::isCalendarDate(const SystemTime& time)
{
    if (time.year < kFirstYear || time.year > kLastYear || time.month < 1 || time.month > 12)
        return false;
    return time.day >= 1 && time.day <= daysInMonth(time.year, time.month) && time.hour <= 23 &&
           time.minute <= 59 && time.second <= 59;
}

bool RecordTimes::plausible(int64_t nowUnix) const
{
    if (!isCalendarDate(encryption_) || (startSet_ && !isCalendarDate(start_)))
        return false;
    const int64_t encrypted = encryption_.toUnix();
    if (encrypted - nowUnix > kFarFuture)
        return false;
    if (!startSet_ || firstDecryption())
        return true;
    const int64_t started = start_.toUnix();
    return started - encrypted > -kClockTolerance && started - nowUnix <= kFarFuture;
}

int64_t RecordTimes::intervalStart() const
{
    return startSet_ && !firstDecryption() ? start_.toUnix() : encryption_.toUnix();
}

} // namespace mvx
