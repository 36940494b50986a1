#pragma once

#include <string>

#include "gui/toolkit/Text.h"

namespace zt::ge {

// A link: its text, underlined, in a skin font. A left press inside opens
// the target with the desktop's preferred application; with the hand
// cursor flag the hand shows while the pointer is over it.
class IURL : public virtual IText {
public:
    virtual void SetTarget(const char* target) = 0;
    virtual const std::string& GetTarget() const = 0;
    virtual void SetHandCursor(bool hand) = 0;
};

class CURL : public virtual IURL, public CText {
public:
    CURL(const SRect& rect, const char* text, const char* target, int32_t id = -1);

    void SetTarget(const char* target) override;
    const std::string& GetTarget() const override;
    void SetHandCursor(bool hand) override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;

protected:
    ~CURL() override;

private:
    std::string target_;
    bool handCursor_ = true;
    bool hovering_ = false;
};

}  // namespace zt::ge
