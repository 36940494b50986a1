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
    CAutoLock lock(m_lock);
    if (std::find(m_rects.begin(), m_rects.end(), r) == m_rects.end())
        m_rects.push_back(r);
}

bool CInvalidater::HasDirtyArea() const
{
    CAutoLock lock(m_lock);
    return !m_rects.empty();
}

SRect CInvalidater::GetBoundingRect() const
{
    CAutoLock lock(m_lock);
    return BoundsLocked();
}

void CInvalidater::Reset()
{
    CAutoLock lock(m_lock);
    m_rects.clear();
}

bool CInvalidater::TakeBoundingRect(SRect& bounds)
{
    CAutoLock lock(m_lock);
    bounds = BoundsLocked();
    const bool any = !m_rects.empty();
    m_rects.clear();
    return any;
}

std::size_t CInvalidater::GetRectCount() const
{
    CAutoLock lock(m_lock);
    return m_rects.size();
}

SRect CInvalidater::BoundsLocked() const
{
    SRect bounds;
    for (const SRect& r : m_rects)
        bounds = Union(bounds, r);
    return bounds;
}

}  // namespace zt::ge
