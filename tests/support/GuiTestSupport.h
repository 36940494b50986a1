#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/toolkit/Control.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/EventReceiver.h"
#include "gui/toolkit/Window.h"

namespace zt::ge::test {

// A control that fills its rectangle and records what reached it.
class CProbe : public CControl {
public:
    explicit CProbe(const SRect& rect, SColour colour = SColour::FromRGB(255, 0, 0), bool handles = true)
        : CControl(rect), colour_(colour), handles_(handles)
    {}
    ~CProbe() override = default;  // public, so a test may keep one on the stack

    void Draw(IDrawContext& context) override
    {
        ++draws;
        context.GetPrimitives().FillRect(GetAbsoluteRect(), colour_, GetAbsoluteRect());
    }
    bool Mouse(EMouseEvent event, SPoint point) override
    {
        if (!TakesInput())
            return false;
        if (!IsInside(point) && GetWindow()->GetCapture() != this)
            return false;
        events.push_back(event);
        lastPoint = point;
        if (onMouse)
            onMouse(event);
        return handles_;
    }
    bool Wheel(SPoint point, float n) override
    {
        if (!IsInside(point))
            return false;
        notches += n;
        return handles_;
    }
    bool Key(int32_t keyCode) override
    {
        keys.push_back(keyCode);
        return handles_;
    }

    int draws = 0;
    std::vector<EMouseEvent> events;
    SPoint lastPoint;
    float notches = 0.0f;
    std::vector<int32_t> keys;
    std::function<void(EMouseEvent)> onMouse;

private:
    SColour colour_;
    bool handles_;
};

// Remembers every notification in order, as "kind:id".
class CRecorder : public CEventReceiver {
public:
    void OnClicked(IControl* c) override { Log("click", c); }
    void OnValueChanged(IControl* c) override { Log("value", c); }
    void OnBeginEdit(IControl* c) override { Log("begin", c); }
    void OnEndEdit(IControl* c) override { Log("end", c); }

    std::vector<std::string> log;

private:
    void Log(const char* kind, IControl* c) { log.push_back(std::string(kind) + ":" + std::to_string(c->GetId())); }
};

}  // namespace zt::ge::test
