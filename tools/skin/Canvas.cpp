#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace skin {

CCanvas::CCanvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_))
{
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

CCanvas::~CCanvas()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void CCanvas::Colour(SRgb c, double alpha) { cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha); }

void CCanvas::RoundedRect(double x, double y, double w, double h, double r)
{
    r = std::fmin(r, std::fmin(w, h) / 2.0);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr_, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr_);
}

void CCanvas::FillGradient(double y0, double y1, SRgb top, SRgb bottom, double alpha)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr_, p);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

void CCanvas::Well(double x, double y, double w, double h, double r)
{
    RoundedRect(x, y, w, h, r);
    Colour(palette::kInset);
    cairo_fill(cr_);
    // Shadow along the top inside, light along the bottom outside.
    cairo_save(cr_);
    RoundedRect(x, y, w, h, r);
    cairo_clip(cr_);
    RoundedRect(x - 0.5, y - 1.5, w + 1, h + 1, r);
    cairo_set_line_width(cr_, 3);
    Colour({0, 0, 0}, 0.55);
    cairo_stroke(cr_);
    cairo_restore(cr_);
    RoundedRect(x - 0.5, y - 0.5, w + 1, h + 1, r + 0.5);
    cairo_set_line_width(cr_, 1);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.10);
    cairo_set_source(cr_, p);
    cairo_stroke(cr_);
    cairo_pattern_destroy(p);
}

void CCanvas::Raised(double x, double y, double w, double h, double r, SRgb top, SRgb bottom)
{
    RoundedRect(x + 0.5, y + 0.5, w - 1, h - 1, r);
    FillGradient(y, y + h, top, bottom);
    RoundedRect(x + 0.5, y + 0.5, w - 1, h - 1, r);
    cairo_set_line_width(cr_, 1);
    Colour({0, 0, 0}, 0.6);
    cairo_stroke(cr_);
    cairo_move_to(cr_, x + r, y + 1.5);
    cairo_line_to(cr_, x + w - r, y + 1.5);
    Colour({1, 1, 1}, 0.09);
    cairo_stroke(cr_);
}

void CCanvas::Text(const std::string& text, double x, double y, cairo_font_face_t* face, double size, SRgb colour,
                   int align, double alpha)
{
    cairo_set_font_face(cr_, face);
    cairo_set_font_size(cr_, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr_, text.c_str(), &e);
    double left = x;
    if (align == 1)
        left = x - e.x_advance / 2.0;
    if (align == 2)
        left = x - e.x_advance;
    cairo_move_to(cr_, std::round(left), std::round(y));
    Colour(colour, alpha);
    cairo_show_text(cr_, text.c_str());
}

std::vector<uint8_t> CCanvas::Pixels() const
{
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    std::vector<uint8_t> out(std::size_t(width_) * std::size_t(height_) * 4);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            uint32_t p;
            std::memcpy(&p, data + y * stride + x * 4, 4);
            const uint32_t a = p >> 24;
            uint8_t* d = &out[(std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 4];
            // cairo keeps premultiplied colour; the toolkit blends straight colour.
            auto channel
                = [a](uint32_t v) { return uint8_t(a == 0 ? 0 : std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
            d[0] = channel(p & 0xFF);
            d[1] = channel((p >> 8) & 0xFF);
            d[2] = channel((p >> 16) & 0xFF);
            d[3] = uint8_t(a);
        }
    }
    return out;
}

}  // namespace skin
