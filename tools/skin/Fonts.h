#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

// The DejaVu faces the skin draws with, loaded through FreeType from the
// Debian font package's folder.
class CFonts {
public:
    // False when a face is missing; error then says which.
    bool Load(const std::string& folder, std::string& error);
    ~CFonts();

    cairo_font_face_t* Sans() const { return faces_[0]; }
    cairo_font_face_t* SansBold() const { return faces_[1]; }
    cairo_font_face_t* Condensed() const { return faces_[2]; }
    cairo_font_face_t* CondensedBold() const { return faces_[3]; }

private:
    void* library_ = nullptr;     // FT_Library
    std::vector<void*> ftFaces_;  // FT_Face
    std::vector<cairo_font_face_t*> faces_;
};

// A font strip for the resource file: glyphs for the codes 32..126 side by
// side, hinted at size pixels, white on transparent with the coverage in
// every colour byte. The top row's fourth byte marks each glyph's last
// column (128: both per-glyph offsets 0, the second in the row below); the
// first marker's column carries the baseline row and the line height in the
// two bottom rows' fourth bytes.
std::vector<uint8_t> RenderFontStrip(cairo_font_face_t* face, double size, int& width, int& height);

}  // namespace skin
