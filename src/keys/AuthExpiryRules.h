#pragma once

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "platform/SystemTime.h"

namespace mvx {

// The expiry given to an authenticated key: none, one of four preset
// periods, or a date chosen in the calendar; the key stays valid until
// 23:59:59 of the chosen day. The dialog keeps its choices between runs.
class AuthExpiryRules {
public:
    enum Preset { OneMonth = 0, OneYear = 1, EndOfYear = 2, EndOfFiscalYear = 3, NoSelection = -1 };

    bool noLimit = true;    // do not set an expiry
    bool usePreset = true;  // preset list rather than the calendar
    int presetIndex = OneMonth;
    SystemTime calendarDate;  // the calendar's date (time of day ignored)

    // The list's texts in order.
    static constexpr int kPresetSlots[4] = {Msg::OneMonthFromToday, Msg::OneYearFromToday, Msg::UntilEndOfYear,
                                            Msg::UntilEndOfFiscalYear};

    // "Enforcement of Authenication": fixes the expiry from the choices at the
    // current local time. A calendar date whose start lies before now is
    // refused with a message and the dialog stays open (false).
    bool enforce(CMessenger& messenger);
    // 1 with the expiry, or 0 and an all-zero record when none is set.
    int expiry(SystemTime& out) const;

    // The expiry of a preset for a day (23:59:59, with the usual calendar carry).
    static SystemTime presetExpiry(int preset, const SystemTime& today);
    // A date at 23:59:59, month 13 and surplus days carried into the next month or year.
    static SystemTime endOfDay(int year, int month, int day);

private:
    SystemTime chosen_;
};

} // namespace mvx
