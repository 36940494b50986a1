#pragma once

#include <vector>

#include "foundation/Interface.h"
#include "foundation/Mutex.h"
#include "gui/native/Geometry.h"

namespace zt::ge {

// The window's list of dirty rectangles. Controls add to it from any thread
// (parameter changes arrive on the host's threads); the window turns it into
// one paint. Every operation holds the list's lock.
class IInvalidater : public virtual IInterface {
public:
    // Negative x or y is cut back to 0 (the extent shrinks with it); a
    // rectangle left without width or height is dropped, and one equal to a
    // listed rectangle is not listed twice.
    virtual void AddRect(const SRect& rect) = 0;
    virtual bool HasDirtyArea() const = 0;
    virtual SRect GetBoundingRect() const = 0;  // empty when nothing is listed
    virtual void Reset() = 0;
    // The bounding rectangle and the reset in one step, so a rectangle added
    // by another thread meanwhile is never lost. False when nothing was listed.
    virtual bool TakeBoundingRect(SRect& bounds) = 0;
};

class CInvalidater : public virtual IInvalidater {
public:
    void AddRect(const SRect& rect) override;
    bool HasDirtyArea() const override;
    SRect GetBoundingRect() const override;
    void Reset() override;
    bool TakeBoundingRect(SRect& bounds) override;

    std::size_t GetRectCount() const;

private:
    SRect BoundsLocked() const;

    mutable CMutex lock_;
    std::vector<SRect> rects_;
};

}  // namespace zt::ge
