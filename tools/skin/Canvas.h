#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct SRgb {
    double r, g, b;
};

// Colours of the skin, one dark palette for every image.
namespace palette {
constexpr SRgb kBase{0.071, 0.078, 0.094};   // the deepest background
constexpr SRgb kPanel{0.125, 0.141, 0.169};  // raised panels
constexpr SRgb kPanelLight{0.165, 0.184, 0.216};
constexpr SRgb kEdge{0.235, 0.259, 0.302};   // panel outlines
constexpr SRgb kInset{0.043, 0.051, 0.063};  // wells, displays, read-outs
constexpr SRgb kText{0.855, 0.878, 0.914};
constexpr SRgb kTextDim{0.541, 0.576, 0.639};
constexpr SRgb kAccent{0.208, 0.706, 0.941};  // values, selections
constexpr SRgb kWarm{1.0, 0.698, 0.247};      // gains, reductions
constexpr SRgb kGood{0.239, 0.863, 0.518};    // level, on
constexpr SRgb kCaution{1.0, 0.827, 0.247};
constexpr SRgb kDanger{1.0, 0.263, 0.263};
}  // namespace palette

// A cairo image with the drawing helpers the skin uses. Text comes from the
// font faces the caller sets up (cairo's FreeType faces).
class CCanvas {
public:
    CCanvas(int width, int height);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    cairo_t* Cr() const { return cr_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    void Colour(SRgb c, double alpha = 1.0);
    void RoundedRect(double x, double y, double w, double h, double r);
    // A vertical gradient fill of the current path.
    void FillGradient(double y0, double y1, SRgb top, SRgb bottom, double alpha = 1.0);
    // A recessed well: dark fill, shadow at the top, a faint light edge below.
    void Well(double x, double y, double w, double h, double r);
    // A raised panel: gradient, outline, a highlight along the top.
    void Raised(double x, double y, double w, double h, double r, SRgb top, SRgb bottom);
    // Text with its left (align 0), centre (1) or right (2) at x and its
    // baseline at y, in face at size pixels.
    void Text(const std::string& text, double x, double y, cairo_font_face_t* face, double size, SRgb colour,
              int align = 0, double alpha = 1.0);

    // The pixels as the toolkit keeps them: blue, green, red, alpha
    // (not premultiplied), rows top down.
    std::vector<uint8_t> Pixels() const;

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

}  // namespace skin
