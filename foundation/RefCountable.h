#pragma once

#include <atomic>

namespace zt {

// Base for resources shared between users. The creator holds the first
// reference; every further user calls AddRef, every user ends with Release,
// and the last Release deletes the object. Counting is thread-safe.
class CRefCountable {
public:
    CRefCountable(const CRefCountable&) = delete;
    CRefCountable& operator=(const CRefCountable&) = delete;

    int AddRef();   // returns the new count
    int Release();  // returns the new count; at 0 the object is gone
    int GetRefCount() const;

protected:
    CRefCountable();
    virtual ~CRefCountable();  // only Release deletes

private:
    std::atomic<int> refCount_;
};

}  // namespace zt
