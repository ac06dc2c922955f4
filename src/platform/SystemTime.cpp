#include "platform/SystemTime.h"

#include "platform/LittleEndian.h"

namespace mvx {

void SystemTime::toBytes(uint8_t* out) const
{
    const uint16_t fields[8] = {year, month, dayOfWeek, day, hour, minute, second, milliseconds};
    for (int i = 0; i < 8; ++i)
        putLe16(out + 2 * i, fields[i]);
}

SystemTime SystemTime::fromBytes(const uint8_t* in)
{
    SystemTime t;
    t.year = getLe16(in);
    t.month = getLe16(in + 2);
    t.dayOfWeek = getLe16(in + 4);
    t.day = getLe16(in + 6);
    t.hour = getLe16(in + 8);
    t.minute = getLe16(in + 10);
    t.second = getLe16(in + 12);
    t.milliseconds = getLe16(in + 14);
    return t;
}

SystemTime SystemTime::fromUnix(time_t seconds, int milliseconds)
{
    struct tm tmv {};
    localtime_r(&seconds, &tmv);
    SystemTime t;
    t.year = static_cast<uint16_t>(tmv.tm_year + 1900);
    t.month = static_cast<uint16_t>(tmv.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(tmv.tm_wday);
    t.day = static_cast<uint16_t>(tmv.tm_mday);
    t.hour = static_cast<uint16_t>(tmv.tm_hour);
    t.minute = static_cast<uint16_t>(tmv.tm_min);
    t.second = static_cast<uint16_t>(tmv.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

int64_t SystemTime::toUnix() const
{
    struct tm tmv {};
    tmv.tm_year = year - 1900;
    tmv.tm_mon = month - 1;
    tmv.tm_mday = day;
    tmv.tm_hour = hour;
    tmv.tm_min = minute;
    tmv.tm_sec = second;
    tmv.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tmv));
}

} // namespace mvx
