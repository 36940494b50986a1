#pragma once

#include <cstdint>

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A light from a two-frame bitmap (off above, on below): switched on, it
// shows the on frame until duration milliseconds after the last time it
// was switched on, checked on every tick.
class ITimedBitmap : public virtual IControl {
public:
    static constexpr uint32_t kNoOffTime = 0xFFFFFFFF;

    virtual void SwitchOn() = 0;
    virtual bool IsOn() const = 0;
    virtual void SetDuration(uint32_t milliseconds) = 0;
    virtual uint32_t GetOffTime() const = 0;  // kNoOffTime while off
};

class CTimedBitmap : public virtual ITimedBitmap, public CControl {
public:
    CTimedBitmap(const SRect& rect, uint32_t durationMs, int32_t bitmapId = -1, int32_t id = -1);

    void SwitchOn() override;
    bool IsOn() const override;
    void SetDuration(uint32_t milliseconds) override;
    uint32_t GetOffTime() const override;

    void Draw(IDrawContext& context) override;
    void Tick() override;

protected:
    ~CTimedBitmap() override;

private:
    uint32_t duration_;
    uint32_t offTime_ = kNoOffTime;
    bool on_ = false;
};

}  // namespace zt::ge
