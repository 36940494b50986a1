#include "gui/toolkit/Invalidater.h"

#include <algorithm>

namespace zt::ge {

void CInvalidater::AddRect(const SRect& rect)
{
    SRect r = rect;
    if (r.position.x < 0) {
        r.size.width = int32_t(std::max<int64_t>(int64_t(r.size.width) + r.position.x, 0));
        r.position.x = 0;
    }
    if (r.position.y < 0) {
        r.size.height = int32_t(std::max<int64_t>(int64_t(r.size.height) + r.position.y, 0));
        r.position.y = 0;
    }
    if (r.IsEmpty())
        return;
    CAutoLock lock(lock_);
    if (std::find(rects_.begin(), rects_.end(), r) == rects_.end())
        rects_.push_back(r);
}

bool CInvalidater::HasDirtyArea() const
{
    CAutoLock lock(lock_);
    return !rects_.empty();
}

SRect CInvalidater::GetBoundingRect() const
{
    CAutoLock lock(lock_);
    return BoundsLocked();
}

void CInvalidater::Reset()
{
    CAutoLock lock(lock_);
    rects_.clear();
}

bool CInvalidater::TakeBoundingRect(SRect& bounds)
{
    CAutoLock lock(lock_);
    bounds = BoundsLocked();
    const bool any = !rects_.empty();
    rects_.clear();
    return any;
}

std::size_t CInvalidater::GetRectCount() const
{
    CAutoLock lock(lock_);
    return rects_.size();
}

SRect CInvalidater::BoundsLocked() const
{
    SRect bounds;
    for (const SRect& r : rects_)
        bounds = Union(bounds, r);
    return bounds;
}

}  // namespace zt::ge
