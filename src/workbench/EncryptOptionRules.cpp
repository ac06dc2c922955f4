#include "workbench/EncryptOptionRules.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "platform/Clock.h"

#include <cctype>

namespace mvx {

EncryptOptionRules::EncryptOptionRules(bool deleteCheck1) : deletePlainFiles(deleteCheck1)
{
    const SystemTime now = Clock::now();
    year = now.year;
    month = now.month;
    day = now.day;
    hour = now.hour;
    minute = now.minute;
    second = now.second;
}

std::optional<int> EncryptOptionRules::parseNumber(const std::string& text)
{
    if (text.empty() || text.size() > kNumberMaxChars)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int64_t> EncryptOptionRules::chosenDate() const
{
    SystemTime chosen;
    chosen.year = static_cast<uint16_t>(year);
    chosen.month = static_cast<uint16_t>(month);
    chosen.day = static_cast<uint16_t>(day);
    chosen.hour = static_cast<uint16_t>(hour);
    chosen.minute = static_cast<uint16_t>(minute);
    chosen.second = static_cast<uint16_t>(second);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const int64_t seconds = chosen.toUnix();
    // A day the month does not have (30 February) comes back as another date.
    const SystemTime back = SystemTime::fromUnix(static_cast<time_t>(seconds));
    if (back.day != chosen.day || back.month != chosen.month)
        return std::nullopt;
    return seconds;
}

EncryptOptionRules::OkResult EncryptOptionRules::onOk(CMessenger& messenger)
{
    const auto value = parseNumber(number);
    if (!value || *value < 1 || *value > 99) {
        if (timeLimitOn && limitMode != kDirectDate) {
            messenger.show(Msg::TimeRange1To99, MsgIcon::Exclamation);
            return {false, kNumberField};
        }
        number.assign(1, '1');
    }
    if (hour < 0 || hour > 23)
        return {false, kHourField};
    if (minute < 0 || minute > 59)
        return {false, kMinuteField};
    if (second < 0 || second > 59)
        return {false, kSecondField};
    if (timeLimitOn && limitMode == kDirectDate) {
        const auto date = chosenDate();
        if (!date)
            return {false, kDateField};
        if (*date <= Clock::unixNow()) {
            messenger.show(Msg::SpecifyTimeLimitAfterNow, MsgIcon::Exclamation);
            return {false, kDateField};
        }
    }
    return {true, kNoField};
}

uint32_t EncryptOptionRules::limitSeconds() const
{
    const auto value = parseNumber(number);
    const uint32_t count = value && *value >= 1 && *value <= 99 ? static_cast<uint32_t>(*value) : 1u;
    return count * kSecondsPerUnit[unit];
}

EncryptOptions EncryptOptionRules::options() const
{
    EncryptOptions options;
    options.history = manageLogs;
    options.deletePlainFiles = deletePlainFiles;
    options.timeLimitOn = timeLimitOn;
    options.outputFolder = outputFolder;
    if (!timeLimitOn)
        return options;
    if (limitMode == kDirectDate) {
        options.deadline = chosenDate();
    } else {
        options.timeLimit.seconds = limitSeconds();
        options.timeLimit.fromFirstDecryption = limitKind() == 1;
    }
    return options;
}

} // namespace mvx
