#include "foundation/RefCountable.h"

namespace zt {

CRefCountable::CRefCountable() : refCount_(1) {}
CRefCountable::~CRefCountable() = default;

int CRefCountable::AddRef() { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }

int CRefCountable::Release()
{
    // acq_rel: the deleting thread must see every other user's last writes.
    int count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        delete this;
    return count;
}

int CRefCountable::GetRefCount() const { return refCount_.load(std::memory_order_relaxed); }

}  // namespace zt
