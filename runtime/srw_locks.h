// A slim reader/writer lock held for a scope, shared or exclusive.
#pragma once
#include <windows.h>

namespace velmora {

template <void(WINAPI* Acquire)(PSRWLOCK), void(WINAPI* Release)(PSRWLOCK)>
class ScopedSrwLock {
public:
    explicit ScopedSrwLock(SRWLOCK& lock) : lock_(lock) { Acquire(&lock_); }
    ~ScopedSrwLock() { Release(&lock_); }
    ScopedSrwLock(const ScopedSrwLock&) = delete;
    ScopedSrwLock& operator=(const ScopedSrwLock&) = delete;

private:
    SRWLOCK& lock_;
};

using SharedLock = ScopedSrwLock<AcquireSRWLockShared, ReleaseSRWLockShared>;
using ExclusiveLock = ScopedSrwLock<AcquireSRWLockExclusive, ReleaseSRWLockExclusive>;

}  // namespace velmora
