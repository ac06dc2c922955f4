#include "keys/AuthExpiryRules.h"

#include "app/Msg.h"
#include "platform/Clock.h"

#include <ctime>

namespace mvx {

namespace {

SystemTime localTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm tmv {};
    tmv.tm_year = year - 1900;
    tmv.tm_mon = month - 1;
    tmv.tm_mday = day;
    tmv.tm_hour = hour;
    tmv.tm_min = minute;
    tmv.tm_sec = second;
    tmv.tm_isdst = -1;
    return SystemTime::fromUnix(mktime(&tmv));
}

} // namespace

SystemTime AuthExpiryRules::endOfDay(int year, int month, int day) { return localTime(year, month, day, 23, 59, 59); }

SystemTime AuthExpiryRules::presetExpiry(int preset, const SystemTime& today)
{
    const int year = today.year;
    const int month = today.month;
    switch (preset) {
    case OneMonth:
        return endOfDay(year, month + 1, today.day);
    case OneYear:
        return endOfDay(year + 1, month, today.day);
    case EndOfYear:
        return endOfDay(year, 12, 31);
    case EndOfFiscalYear:
        return endOfDay(month > 3 ? year + 1 : year, 3, 31);
    default:
        return {};
    }
}

bool AuthExpiryRules::enforce(CMessenger& messenger)
{
    chosen_ = {};
    if (noLimit)
        return true;
    const SystemTime now = Clock::now();
    if (usePreset) {
        chosen_ = presetExpiry(presetIndex, now);
        return true;
    }
    const SystemTime start = localTime(calendarDate.year, calendarDate.month, calendarDate.day, 0, 0, 0);
    if (start.toUnix() < Clock::unixNow()) {
        messenger.show(Msg::SelectDateAfterToday, MsgIcon::Exclamation);
        return false;
    }
    chosen_ = endOfDay(calendarDate.year, calendarDate.month, calendarDate.day);
    return true;
}

int AuthExpiryRules::expiry(SystemTime& out) const
{
    out = chosen_;
    return chosen_.isSet() ? 1 : 0;
}

} // namespace mvx
