#pragma once

#include "engine/EncryptionSettings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace mvx {

class CMessenger;

// What the options of an encryption batch hand over.
struct EncryptOptions {
    bool history = true;
    bool deletePlainFiles = false;
    bool timeLimitOn = false;
    // A limit counted from the encryption or from the first decryption.
    TimeLimitSetting timeLimit;
    // A limit given as a date (seconds since the epoch): the batch turns it
    // into seconds from each file's encryption time.
    std::optional<int64_t> deadline;
    // Empty: the batch's default.
    std::string outputFolder;
};

// "Setting of encryption in details": the fields of the options dialog and
// the checks of its OK button. A front end shows the fields, writes the
// user's input back and calls onOk.
class EncryptOptionRules {
public:
    enum Unit { kYears = 0, kWeeks, kDays, kHours, kMinutes, kSeconds };
    enum LimitMode { kAfterEncryption = 0, kAfterFirstDecryption = 1, kDirectDate = 2 };
    enum Field { kNoField, kNumberField, kHourField, kMinuteField, kSecondField, kDateField };

    // A year counts 365 days; 99 of them still fit the container's 32-bit field.
    static constexpr uint32_t kSecondsPerUnit[6] = {365u * 86400u, 7u * 86400u, 86400u, 3600u, 60u, 1u};
    static constexpr size_t kNumberMaxChars = 2;

    // Defaults: history on, delete box from "DeleteCheck1", time limit off,
    // counted from the encryption, unit hours, date and time now.
    explicit EncryptOptionRules(bool deleteCheck1);

    struct OkResult {
        bool accepted = false;
        Field focus = kNoField;
    };
    // The OK checks in order; a refusal leaves the dialog open with the field
    // to focus (and its message shown where there is one).
    OkResult onOk(CMessenger& messenger);

    // After an accepted OK.
    EncryptOptions options() const;
    // 0: counted from the encryption, 1: from the first decryption.
    int limitKind() const { return limitMode == kAfterFirstDecryption ? 1 : 0; }
    // The limit in seconds from the number and the unit.
    uint32_t limitSeconds() const;

    // The fields.
    bool manageLogs = true;
    bool deletePlainFiles = false;
    bool timeLimitOn = false;
    LimitMode limitMode = kAfterEncryption;
    std::string number;
    Unit unit = kHours;
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    std::string outputFolder;

private:
    static std::optional<int> parseNumber(const std::string& text);
    std::optional<int64_t> chosenDate() const;
};

} // namespace mvx
