#pragma once

#include <cstdint>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PerfMon.h"

namespace zt::ge {

// What the display reports about a band handle.
struct SEQDisplayEvent {
    int32_t kind;  // kEQEventBegin, kEQEventEnd, kEQEventChange
    int32_t band;  // handle id - IEQDisplay::kHandleIdBase
    int32_t axis;  // kEQAxisX, kEQAxisY, kEQAxisThird
    float value;   // normalised for the x and y axes
};

enum EEQEventKind : int32_t {
    kEQEventBegin = 0,
    kEQEventEnd = 1,
    kEQEventChange = 2,
};

enum EEQAxis : int32_t {
    kEQAxisX = 0,      // frequency
    kEQAxisY = 1,      // gain
    kEQAxisThird = 2,  // the band's third value (Q)
};

// Hears the handles of an EQ display (the EQ pane turns this into parameter gestures).
class IEQDisplayCallback {
public:
    virtual void OnEQBegin(int32_t band) = 0;
    virtual void OnEQEnd(int32_t band) = 0;
    virtual void OnEQChange(const SEQDisplayEvent& event) = 0;

protected:
    ~IEQDisplayCallback() = default;
};

// The EQ section's large display: the response curve and one draggable
// handle per band. Points are normalised: x 0 left .. 1 right, y 0 bottom ..
// 1 top; (x, y) lies at column round((width - 1) * x), row
// round((height - 1) * (1 - y)), rounding half away from zero.
class IEQDisplay : public virtual IPane {
public:
    static constexpr int32_t kHandleIdBase = 100000;
    // One handle per band (control id kHandleIdBase + band), drawn with the bitmap of that resource id.
    // frames: 2 for a bitmap whose second frame shows the handle while it is dragged.
    virtual void AddHandle(int32_t bitmapId, int32_t frames = 1) = 0;
    // Moves handle band to the normalised point (x, y) (y = 0 bottom, 1 top) and invalidates.
    virtual void PlaceHandle(int32_t band, float x, float y) = 0;
    virtual void ShowHandle(int32_t band, bool shown) = 0;
    // One normalised y per pixel column (count = the display's width); copied.
    virtual void SetCurve(const float* y, int32_t count) = 0;
    virtual void SetCurveColour(SColour colour) = 0;
    virtual void SetCallback(IEQDisplayCallback* callback) = 0;  // not owned
};

class CEQDisplay;

// A band handle: a bitmap centred on its pixel of the display. Its value packs
// that pixel as (column << 16) | row; a float holds that exactly only while
// the column is below 256, so the pixel itself is kept too and is what the
// display reports.
class CEQHandle : public CControl {
public:
    static constexpr int32_t kSizeWithoutBitmap = 9;  // hit area until the bitmap is known

    CEQHandle(CEQDisplay& display, int32_t band, int32_t bitmapId, int32_t frames = 1);

    int32_t GetBand() const { return band_; }
    SPoint GetPixel() const { return pixel_; }  // relative to the display
    // Moves to pixel (relative to the display) and takes the packed value, telling nobody.
    void MoveTo(SPoint pixel);
    bool IsDragging() const { return dragging_; }

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;

protected:
    ~CEQHandle() override;

private:
    SSize HandleSize();
    void FitRect();
    void EndDrag();

    CEQDisplay& display_;
    int32_t band_;
    SPoint pixel_;
    int32_t frames_;
    bool dragging_ = false;
    SPoint grab_;  // pointer minus the handle's pixel, in window coordinates, at the press
};

class CEQDisplay : public virtual IEQDisplay, public CPane {
public:
    // Wheel over a handle: one third-axis change of this value per notch.
    // The EQ pane lowers the band's true-log normalised Q by value / 200, so
    // a notch away from the user (notches +1) raises Q by 0.02 of its range
    // (about 15 %), and a notch towards the user lowers it as much.
    static constexpr float kThirdValuePerNotch = -4.0f;
    static constexpr SColour kDefaultCurveColour = SColour::FromRGB(255, 200, 60);

    explicit CEQDisplay(const SRect& rect, int32_t id = -1);

    void AddHandle(int32_t bitmapId, int32_t frames = 1) override;
    void PlaceHandle(int32_t band, float x, float y) override;
    void ShowHandle(int32_t band, bool shown) override;
    void SetCurve(const float* y, int32_t count) override;
    void SetCurveColour(SColour colour) override;
    void SetCallback(IEQDisplayCallback* callback) override;

    int32_t GetHandleCount() const { return int32_t(handles_.size()); }
    CEQHandle* GetHandle(int32_t band) const;  // null out of range
    // The pixel (relative to the display) of a normalised point, and back.
    SPoint PixelOf(float x, float y) const;
    void PointOf(SPoint pixel, float& x, float& y) const;
    const CPerfMon& GetPerfMon() const { return perf_; }

    // Packing of a handle's value.
    static float PackPixel(SPoint pixel) { return float((int64_t(pixel.x) << 16) | int64_t(pixel.y & 0xFFFF)); }
    static SPoint UnpackPixel(float value);

    // From the handles.
    void OnBeginEdit(IControl* control) override;
    void OnEndEdit(IControl* control) override;
    void OnValueChanged(IControl* control) override;
    void HandleWheel(int32_t band, float notches);

protected:
    ~CEQDisplay() override;
    // The curve; the handles, as children, come after it.
    void DrawBackground(IDrawContext& context) override;

private:
    // Marks the curve's coverage of pixel (column, row) of the display; the
    // largest coverage of any part of the curve wins.
    void Cover(int32_t column, int32_t row, float coverage);
    void DrawCurve(IDrawContext& context);

    std::vector<CEQHandle*> handles_;  // children, owned as such
    std::vector<float> curve_;
    SColour curveColour_ = kDefaultCurveColour;
    IEQDisplayCallback* callback_ = nullptr;

    // Scratch of the curve drawing, kept between draws so a draw allocates
    // nothing: coverage k of 256 per pixel, and per column the rows touched.
    std::vector<uint16_t> coverage_;
    std::vector<int32_t> touchedTop_;
    std::vector<int32_t> touchedBottom_;
    SSize scratchSize_;
    CPerfMon perf_{"EQ Display"};
};

}  // namespace zt::ge
