#include "Fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace skin {
namespace {

constexpr int kFirst = 32;
constexpr int kLast = 126;
constexpr uint8_t kMarker = 128;  // a per-glyph offset of 0

cairo_font_options_t* HintedOptions()
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    return options;
}

}  // namespace

bool CFonts::Load(const std::string& folder, std::string& error)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType did not start";
        return false;
    }
    library_ = library;
    for (const char* name :
         {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed.ttf", "DejaVuSansCondensed-Bold.ttf"}) {
        FT_Face face = nullptr;
        const std::string path = folder + "/" + name;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            error = "cannot load " + path + " (Debian package fonts-dejavu-core)";
            return false;
        }
        ftFaces_.push_back(face);
        faces_.push_back(cairo_ft_font_face_create_for_ft_face(face, 0));
    }
    return true;
}

CFonts::~CFonts()
{
    for (cairo_font_face_t* face : faces_)
        cairo_font_face_destroy(face);
    for (void* face : ftFaces_)
        FT_Done_Face(static_cast<FT_Face>(face));
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

std::vector<uint8_t> RenderFontStrip(cairo_font_face_t* face, double size, int& width, int& height)
{
    cairo_matrix_t matrix, identity;
    cairo_matrix_init_scale(&matrix, size, size);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = HintedOptions();
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &matrix, &identity, options);

    cairo_font_extents_t extents;
    cairo_scaled_font_extents(font, &extents);
    const int ascent = int(std::ceil(extents.ascent));
    const int descent = int(std::ceil(extents.descent));
    const int baseline = 1 + ascent;  // row 0 holds the markers
    height = baseline + descent + 1;
    const int lineHeight = int(std::lround(extents.height)) + 1;

    std::vector<int> advance;
    width = 0;
    for (int c = kFirst; c <= kLast; ++c) {
        const char text[2] = {char(c), 0};
        cairo_text_extents_t e;
        cairo_scaled_font_text_extents(font, text, &e);
        advance.push_back(std::max(1, int(std::lround(e.x_advance))));
        width += advance.back();
    }

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_scaled_font(cr, font);
    int x = 0;
    for (int c = kFirst; c <= kLast; ++c) {
        const int w = advance[std::size_t(c - kFirst)];
        const char text[2] = {char(c), 0};
        cairo_save(cr);
        // A glyph stays in its own cell, below the marker row.
        cairo_rectangle(cr, x, 1, w, height - 1);
        cairo_clip(cr);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, text);
        cairo_restore(cr);
        x += w;
    }
    cairo_surface_flush(surface);

    const unsigned char* coverage = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::vector<uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int px = 0; px < width; ++px) {
            uint8_t* d = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(px)) * 4];
            d[0] = d[1] = d[2] = coverage[y * stride + px];
            d[3] = 255;
        }
    int last = -1;
    for (std::size_t i = 0; i < advance.size(); ++i) {
        last += advance[i];
        pixels[std::size_t(last) * 4 + 3] = kMarker;
        pixels[(std::size_t(width) + std::size_t(last)) * 4 + 3] = kMarker;
    }
    const std::size_t firstMarker = std::size_t(advance[0] - 1);
    pixels[(std::size_t(height - 2) * std::size_t(width) + firstMarker) * 4 + 3] = uint8_t(baseline);
    pixels[(std::size_t(height - 1) * std::size_t(width) + firstMarker) * 4 + 3] = uint8_t(lineHeight);

    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    cairo_scaled_font_destroy(font);
    cairo_font_options_destroy(options);
    return pixels;
}

}  // namespace skin
