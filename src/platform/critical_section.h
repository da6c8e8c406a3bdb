// Re-entrant locks: CCriticalSection and CSingleLock over std::recursive_mutex, and the
// library's own MyCriticalSection.
//
// Like the Windows critical sections they stand in for, a thread that holds one may take it
// again; it is free once every Lock has been matched by an Unlock.
#pragma once

#include "platform/win_types.h"

#include <mutex>

class CSyncObject {
public:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject() = default;

    virtual BOOL Lock() = 0;
    virtual BOOL Unlock() = 0;
};

class CCriticalSection : public CSyncObject {
public:
    BOOL Lock() override
    {
        mutex_.lock();
        return TRUE;
    }
    BOOL Unlock() override
    {
        mutex_.unlock();
        return TRUE;
    }

private:
    std::recursive_mutex mutex_;
};

// Holds a sync object for one scope: released by Unlock or at the end of the scope, whichever
// comes first. Not copyable; one CSingleLock is used by one thread.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE) : object_(object)
    {
        if (initialLock) Lock();
    }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock() { Unlock(); }

    BOOL Lock()
    {
        if (!object_ || locked_) return locked_ ? TRUE : FALSE;
        locked_ = object_->Lock() != FALSE;
        return locked_ ? TRUE : FALSE;
    }
    BOOL Unlock()
    {
        if (!object_ || !locked_) return FALSE;
        locked_ = false;
        return object_->Unlock();
    }
    BOOL IsLocked() const { return locked_ ? TRUE : FALSE; }

private:
    CSyncObject* object_;
    bool locked_ = false;
};

// The lock embedded in the job hand-over box and the motion-data source.
class MyCriticalSection : public CCriticalSection {};
