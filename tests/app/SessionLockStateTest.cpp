#include "app/IdleSourceChain.h"
#include "app/LoginSessionIds.h"
#include "app/SessionLockState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mvx {
namespace {

using Change = SessionLockState::Change;

enum class Report { Lock, Unlock, Sleep, Wake };

struct Step {
    Report report;
    LockSource source;
    Change expected;
};

constexpr LockSource kSignal = LockSource::LogindSignal;
constexpr LockSource kHint = LockSource::LogindLockedHint;
constexpr LockSource kFreedesktop = LockSource::FreedesktopScreenSaver;
constexpr LockSource kGnome = LockSource::GnomeScreenSaver;

Change apply(SessionLockState& state, const Step& step)
{
    switch (step.report) {
    case Report::Lock: return state.lock(step.source);
    case Report::Unlock: return state.unlock(step.source);
    case Report::Sleep: return state.sleep();
    case Report::Wake: return state.wake();
    }
    return Change::None;
}

TEST(SessionLockState, TheSessionIsUnlockedOnlyWhenEverySourceThatLockedItHasUnlockedIt)
{
    const struct {
        const char* desktop;
        std::vector<Step> steps;
    } cases[] = {
        {"LockedHint alone",
         {{Report::Lock, kHint, Change::Locked},
          {Report::Lock, kHint, Change::None},
          {Report::Unlock, kHint, Change::Unlocked}}},
        {"GNOME: saver and hint, unlocked in the same order",
         {{Report::Lock, kGnome, Change::Locked},
          {Report::Lock, kHint, Change::None},
          {Report::Unlock, kGnome, Change::None},
          {Report::Unlock, kHint, Change::Unlocked}}},
        {"GNOME: unlocked in the other order",
         {{Report::Lock, kHint, Change::Locked},
          {Report::Lock, kGnome, Change::None},
          {Report::Unlock, kHint, Change::None},
          {Report::Unlock, kGnome, Change::Unlocked}}},
        {"logind's Lock answered by the locker's hint, no Unlock signal",
         {{Report::Lock, kSignal, Change::Locked},
          {Report::Lock, kHint, Change::None},
          {Report::Unlock, kHint, Change::Unlocked}}},
        {"logind's Lock answered by a screen saver that never reported the lock",
         {{Report::Lock, kSignal, Change::Locked}, {Report::Unlock, kFreedesktop, Change::Unlocked}}},
        {"logind's Unlock while the screen saver still shows",
         {{Report::Lock, kSignal, Change::Locked},
          {Report::Lock, kFreedesktop, Change::None},
          {Report::Unlock, kSignal, Change::None},
          {Report::Unlock, kFreedesktop, Change::Unlocked}}},
        {"logind's signals alone",
         {{Report::Lock, kSignal, Change::Locked}, {Report::Unlock, kSignal, Change::Unlocked}}},
        {"an unlock without a lock", {{Report::Unlock, kGnome, Change::None}, {Report::Unlock, kSignal, Change::None}}},
        {"sleep and wake", {{Report::Sleep, kSignal, Change::Locked}, {Report::Wake, kSignal, Change::Unlocked}}},
        {"waking into the lock screen",
         {{Report::Lock, kHint, Change::Locked},
          {Report::Sleep, kSignal, Change::None},
          {Report::Wake, kSignal, Change::None},
          {Report::Unlock, kHint, Change::Unlocked}}},
        {"unlocked before the machine is awake",
         {{Report::Sleep, kSignal, Change::Locked},
          {Report::Lock, kFreedesktop, Change::None},
          {Report::Unlock, kFreedesktop, Change::None},
          {Report::Wake, kSignal, Change::Unlocked}}},
    };
    for (const auto& [desktop, steps] : cases) {
        SessionLockState state;
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(apply(state, steps[i]), steps[i].expected) << desktop << ", step " << i;
            if (steps[i].expected == Change::Locked) {
                EXPECT_TRUE(state.locked()) << desktop << ", step " << i;
            }
        }
        EXPECT_FALSE(state.locked()) << desktop;
    }
}

TEST(LoginSessionIds, TheLaunchersIdComesFirstAndUnsetOrRepeatedIdsAreLeftOut)
{
    using Ids = std::vector<std::string>;
    EXPECT_EQ(loginSessionIds("c2", "17\n"), (Ids{"c2", "17"}));
    EXPECT_EQ(loginSessionIds("", "17"), Ids{"17"});
    EXPECT_EQ(loginSessionIds("17", "17"), Ids{"17"});
    EXPECT_EQ(loginSessionIds(" c2 ", "4294967295"), Ids{"c2"});
    EXPECT_EQ(loginSessionIds("", ""), Ids{});
    EXPECT_EQ(loginSessionIds("", "garbage"), Ids{});
}

TEST(IdleSourceChain, TheFirstSourceThatAnswersCountsAndASilentOneGivesWayUntilItIsBack)
{
    std::optional<int64_t> first;
    IdleSourceChain chain;
    EXPECT_EQ(chain.seconds(), std::nullopt);
    chain.add("first", [&] { return first; });
    chain.add("second", [] { return std::optional<int64_t>(40); });
    EXPECT_EQ(chain.seconds(), 40);
    EXPECT_EQ(chain.answering(), "second");
    first = 3;
    EXPECT_EQ(chain.seconds(), 3);
    EXPECT_EQ(chain.answering(), "first");
    EXPECT_EQ(chain.names(), (std::vector<std::string>{"first", "second"}));
}

} // namespace
} // namespace mvx
