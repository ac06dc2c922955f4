#include "app/SessionLockState.h"

namespace mvx {

namespace {

size_t bit(LockSource source) { return static_cast<size_t>(source); }

} // namespace

SessionLockState::Change SessionLockState::after(bool wasLocked) const
{
    if (wasLocked == locked())
        return Change::None;
    return wasLocked ? Change::Unlocked : Change::Locked;
}

SessionLockState::Change SessionLockState::lock(LockSource source)
{
    const bool wasLocked = locked();
    held_.set(bit(source));
    return after(wasLocked);
}

SessionLockState::Change SessionLockState::unlock(LockSource source)
{
    const bool wasLocked = locked();
    held_.reset(bit(source));
    if (source != LockSource::LogindSignal)
        held_.reset(bit(LockSource::LogindSignal));
    return after(wasLocked);
}

SessionLockState::Change SessionLockState::sleep()
{
    const bool wasLocked = locked();
    asleep_ = true;
    return after(wasLocked);
}

SessionLockState::Change SessionLockState::wake()
{
    const bool wasLocked = locked();
    asleep_ = false;
    return after(wasLocked);
}

} // namespace mvx
