#include "foundation/RefCountable.h"

namespace zt {

CRefCountable::CRefCountable() : m_refCount(1) {}
CRefCountable::~CRefCountable() = default;

int CRefCountable::AddRef() { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

int CRefCountable::Release()
{
    // acq_rel: the deleting thread must see every other user's last writes.
    int count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        delete this;
    return count;
}

int CRefCountable::GetRefCount() const { return m_refCount.load(std::memory_order_relaxed); }

}  // namespace zt
