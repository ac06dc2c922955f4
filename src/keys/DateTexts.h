#pragma once

#include "platform/SystemTime.h"

#include <cstdio>
#include <string>

namespace mvx {

// "%Y/%m/%d" of a date record.
inline std::string dateText(const SystemTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u", t.year, t.month, t.day);
    return text;
}

// "%Y/%m/%d %H:%M" of a date record.
inline std::string dateTimeText(const SystemTime& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

} // namespace mvx
