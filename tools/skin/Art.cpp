#include "Art.h"

#include <cmath>
#include <string>

#include "Canvas.h"
#include "QuillstripVersion.h"

namespace skin {
namespace {

using namespace palette;

constexpr double kArcStart = 0.75 * M_PI;  // down-left, where value 0 points
constexpr double kArcSweep = 1.5 * M_PI;   // 270 degrees to down-right

SImage Take(const CCanvas& canvas) { return {canvas.Width(), canvas.Height(), canvas.Pixels()}; }

SRgb Mix(SRgb a, SRgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Where the editor's faders put the cap's centre for a gain in dB: the
// fader's value v (0 .. 1.41421, unity at 1) gives v squared below unity
// and v to the fourth above, and the cap travels 205 pixels.
double FaderCentreY(double db)
{
    const double v = db <= 0 ? std::pow(10.0, db / 40.0) : std::pow(10.0, db / 80.0);
    const double n = v / 1.41421;
    return 281.0 + (1.0 - n) * (219.0 - 14.0) + 7.0;
}

void FaderScale(CCanvas& c, const CFonts& fonts, double slotX, bool labelsRight)
{
    cairo_t* cr = c.Cr();
    c.Well(slotX - 2, 286, 4, 209, 2);
    const struct {
        double db;
        const char* text;
    } marks[] = {{12, "+12"}, {6, "+6"}, {0, "0"}, {-6, "-6"}, {-12, "-12"}, {-24, "-24"}, {-48, "-48"}};
    for (const auto& m : marks) {
        const double y = std::round(FaderCentreY(m.db)) + 0.5;
        const bool unity = m.db == 0;
        cairo_set_line_width(cr, 1);
        c.Colour(unity ? kAccent : kTextDim, unity ? 0.9 : 0.6);
        cairo_move_to(cr, slotX - (unity ? 12 : 9), y);
        cairo_line_to(cr, slotX - 5, y);
        cairo_move_to(cr, slotX + 5, y);
        cairo_line_to(cr, slotX + (unity ? 12 : 9), y);
        cairo_stroke(cr);
        c.Text(m.text, labelsRight ? slotX + 15 : slotX - 15, y + 3.5, fonts.Condensed(), 9, unity ? kAccent : kTextDim,
               labelsRight ? 0 : 2);
    }
}

void Noise(CCanvas& c, double alpha)
{
    // A faint fixed grain, so large flat areas do not band.
    cairo_t* cr = c.Cr();
    uint32_t seed = 12345;
    for (int i = 0; i < c.Width() * c.Height() / 40; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = int(seed % uint32_t(c.Width()));
        seed = seed * 1664525u + 1013904223u;
        const int y = int(seed % uint32_t(c.Height()));
        cairo_rectangle(cr, x, y, 1, 1);
    }
    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    cairo_fill(cr);
}

}  // namespace

SImage CArt::KnobStrip(int size, bool bipolar, int frames) const
{
    CCanvas c(size, size * frames);
    cairo_t* cr = c.Cr();
    const double centre = size / 2.0;
    const double ring = size / 2.0 - 2.5;
    const double body = size / 2.0 - 6.5;
    for (int i = 0; i < frames; ++i) {
        const double v = frames > 1 ? double(i) / double(frames - 1) : 0.0;
        const double angle = kArcStart + kArcSweep * v;
        cairo_save(cr);
        cairo_translate(cr, 0, double(i) * size);
        // The track of the whole range, and the part the value covers.
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, 3);
        cairo_arc(cr, centre, centre, ring, kArcStart, kArcStart + kArcSweep);
        c.Colour(kInset);
        cairo_stroke(cr);
        const double from = bipolar ? 1.5 * M_PI : kArcStart;
        const double a0 = std::fmin(from, angle), a1 = std::fmax(from, angle);
        if (a1 - a0 > 0.01) {
            cairo_arc(cr, centre, centre, ring, a0, a1);
            c.Colour(bipolar ? kWarm : kAccent);
            cairo_stroke(cr);
        }
        // The body: a shaded disc with a dark rim and a soft top light.
        cairo_arc(cr, centre, centre + 0.8, body + 0.8, 0, 2 * M_PI);
        c.Colour({0, 0, 0}, 0.55);
        cairo_fill(cr);
        cairo_pattern_t* p
            = cairo_pattern_create_radial(centre - body * 0.3, centre - body * 0.4, body * 0.1, centre, centre, body);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.30, 0.33, 0.38);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.14, 0.155, 0.18);
        cairo_arc(cr, centre, centre, body, 0, 2 * M_PI);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_line_width(cr, 1);
        c.Colour({0.04, 0.045, 0.05});
        cairo_stroke(cr);
        // The pointer.
        cairo_set_line_width(cr, size >= 40 ? 2.5 : 2);
        cairo_move_to(cr, centre + std::cos(angle) * body * 0.30, centre + std::sin(angle) * body * 0.30);
        cairo_line_to(cr, centre + std::cos(angle) * body * 0.88, centre + std::sin(angle) * body * 0.88);
        c.Colour(kText);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::TextButton(int width, int height, const std::string& label, bool led) const
{
    CCanvas c(width, height * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.Raised(0, 0, width, height, 3, on ? kPanelLight : kPanelLight, on ? kPanel : kPanel);
        double textX = width / 2.0;
        if (led) {
            cairo_arc(cr, 7.5, height / 2.0, 2.5, 0, 2 * M_PI);
            c.Colour(on ? kGood : kInset);
            cairo_fill(cr);
            textX += 4;
        }
        if (on) {
            c.RoundedRect(1.5, 1.5, width - 3, height - 3, 2.5);
            cairo_set_line_width(cr, 1);
            c.Colour(kAccent, 0.8);
            cairo_stroke(cr);
        }
        c.Text(label, textX, height / 2.0 + 3.5, fonts_.CondensedBold(), 10, on ? kAccent : kTextDim, 1);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::SectionSelector(const std::string& label) const
{
    const int width = 116, height = 26;
    CCanvas c(width, height * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.Raised(0, 1, width, height - 2, 3, on ? SRgb{0.19, 0.22, 0.26} : kPanelLight,
                 on ? SRgb{0.15, 0.17, 0.2} : kPanel);
        if (on) {
            c.RoundedRect(3, 6, 3, height - 12, 1.5);
            c.Colour(kAccent);
            cairo_fill(cr);
        }
        c.Text(label, 14, height / 2.0 + 4, fonts_.CondensedBold(), 11, on ? kText : kTextDim);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::OnOffButton() const
{
    const int width = 48, height = 26;
    CCanvas c(width, height * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.Raised(0, 1, width, height - 2, 3, kPanelLight, kPanel);
        // A power sign that lights up.
        const double cx = 12, cy = height / 2.0;
        if (on) {
            cairo_arc(cr, cx, cy, 8, 0, 2 * M_PI);
            c.Colour(kGood, 0.18);
            cairo_fill(cr);
        }
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_arc(cr, cx, cy + 0.5, 5, -M_PI / 2 + 0.7, 1.5 * M_PI - 0.7);
        c.Colour(on ? kGood : kTextDim);
        cairo_stroke(cr);
        cairo_move_to(cr, cx, cy - 6);
        cairo_line_to(cr, cx, cy - 0.5);
        cairo_stroke(cr);
        c.Text(on ? "ON" : "OFF", 33, cy + 3.5, fonts_.CondensedBold(), 10, on ? kGood : kTextDim, 1);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::RoundToggle(int size) const
{
    CCanvas c(size, size * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        const double r = size / 2.0 - 1.5, cx = size / 2.0, cy = frame * size + size / 2.0;
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        c.FillGradient(cy - r, cy + r, kPanelLight, kPanel);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_line_width(cr, 1);
        c.Colour({0, 0, 0}, 0.7);
        cairo_stroke(cr);
        cairo_arc(cr, cx, cy, r * 0.45, 0, 2 * M_PI);
        c.Colour(on ? kAccent : kInset);
        cairo_fill(cr);
    }
    return Take(c);
}

SImage CArt::CloseButton(int size) const
{
    CCanvas c(size, size * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * size);
        c.Raised(0, 0, size, size, 3, kPanelLight, kPanel);
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        const double m = size * 0.32;
        cairo_move_to(cr, m, m);
        cairo_line_to(cr, size - m, size - m);
        cairo_move_to(cr, size - m, m);
        cairo_line_to(cr, m, size - m);
        c.Colour(frame ? kAccent : kText);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::RoutingButton(int size) const
{
    CCanvas c(size, size * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * size);
        c.Raised(0, 0, size, size, 3, kPanelLight, kPanel);
        // Two arrows chasing each other: the order of the sections swaps.
        cairo_set_line_width(cr, 1.5);
        const double cx = size / 2.0, cy = size / 2.0, r = size * 0.27;
        c.Colour(frame ? kAccent : kText);
        cairo_arc(cr, cx, cy, r, M_PI * 1.1, M_PI * 1.9);
        cairo_stroke(cr);
        cairo_arc(cr, cx, cy, r, M_PI * 0.1, M_PI * 0.9);
        cairo_stroke(cr);
        cairo_move_to(cr, cx + r + 2.5, cy - 3);
        cairo_line_to(cr, cx + r, cy + 0.5);
        cairo_line_to(cr, cx + r - 3, cy - 2.5);
        cairo_stroke(cr);
        cairo_move_to(cr, cx - r - 2.5, cy + 3);
        cairo_line_to(cr, cx - r, cy - 0.5);
        cairo_line_to(cr, cx - r + 3, cy + 2.5);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::MenuButton(int width, int height) const
{
    CCanvas c(width, height * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool open = frame == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.Raised(0, 0, width, height, 4, open ? SRgb{0.2, 0.23, 0.28} : kPanelLight, kPanel);
        cairo_set_line_width(cr, 1.5);
        for (int i = 0; i < 3; ++i) {
            cairo_move_to(cr, 9, height / 2.0 - 4 + i * 4);
            cairo_line_to(cr, 19, height / 2.0 - 4 + i * 4);
        }
        c.Colour(open ? kAccent : kText);
        cairo_stroke(cr);
        c.Text("MENU", 26, height / 2.0 + 4, fonts_.CondensedBold(), 11, open ? kAccent : kText);
        cairo_move_to(cr, width - 16, height / 2.0 - 2);
        cairo_line_to(cr, width - 12, height / 2.0 + 2);
        cairo_line_to(cr, width - 8, height / 2.0 - 2);
        c.Colour(kTextDim);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::MultiState(int width, int height, const std::vector<std::string>& labels) const
{
    const int frames = int(labels.size());
    CCanvas c(width, height * frames);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < frames; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.Well(0.5, 0.5, width - 1, height - 1, 3);
        // One dot per state, the current one lit, so the cycle is visible.
        const double dotsX = width - 5.0 - 5.0 * (frames - 1);
        for (int k = 0; k < frames && frames > 1; ++k) {
            cairo_arc(cr, dotsX + 5.0 * k, height / 2.0, 1.5, 0, 2 * M_PI);
            c.Colour(k == frame ? kAccent : kEdge);
            cairo_fill(cr);
        }
        const double textRight = frames > 1 ? dotsX - 5 : width - 4;
        c.Text(labels[std::size_t(frame)], (4 + textRight) / 2.0, height / 2.0 + 3.5, fonts_.CondensedBold(), 10, kText,
               1);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::ListBox(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.Well(0.5, 0.5, width - 1, height - 1, 3);
    // Small boxes keep the arrow tight at the end and draw no separator, so that the
    // longest filter names fit.
    const bool small = height < 18;
    const double arrow = small ? width - 6.5 : width - 9.5;
    cairo_move_to(cr, arrow - 3.5, height / 2.0 - 1.5);
    cairo_line_to(cr, arrow, height / 2.0 + 2);
    cairo_line_to(cr, arrow + 3.5, height / 2.0 - 1.5);
    cairo_set_line_width(cr, 1.5);
    c.Colour(kAccent);
    cairo_stroke(cr);
    if (small)
        return Take(c);
    cairo_move_to(cr, width - 18.5, 4);
    cairo_line_to(cr, width - 18.5, height - 4);
    cairo_set_line_width(cr, 1);
    c.Colour(kEdge);
    cairo_stroke(cr);
    return Take(c);
}

SImage CArt::FaderCap(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.Raised(0, 0, width, height, 3, {0.36, 0.39, 0.44}, {0.18, 0.2, 0.23});
    cairo_move_to(cr, 3, height / 2.0);
    cairo_line_to(cr, width - 3, height / 2.0);
    cairo_set_line_width(cr, 2);
    c.Colour(kText);
    cairo_stroke(cr);
    return Take(c);
}

SImage CArt::SliderHandle(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.Raised(0, 0, width, height, 4, {0.36, 0.39, 0.44}, {0.18, 0.2, 0.23});
    cairo_set_line_width(cr, 1);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, width / 2.0 + i * 3 + 0.5, 5);
        cairo_line_to(cr, width / 2.0 + i * 3 + 0.5, height - 5);
    }
    c.Colour(kAccent);
    cairo_stroke(cr);
    return Take(c);
}

SImage CArt::ScrollTrack(int width, int height) const
{
    CCanvas c(width, height);
    c.Well(1.5, 0.5, width - 3, height - 1, (width - 3) / 2.0);
    return Take(c);
}

SImage CArt::ScrollThumb(int width, int height) const
{
    CCanvas c(width, height);
    c.RoundedRect(2.5, 1.5, width - 5, height - 3, (width - 5) / 2.0);
    c.FillGradient(0, height, {0.36, 0.39, 0.44}, {0.24, 0.26, 0.3});
    return Take(c);
}

SImage CArt::LevelMeter(int width, int height, bool vertical) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    const int length = vertical ? height : width;
    // Segments of 2 pixels with a 1-pixel gap: green, yellow from -12 dBFS, red from 0 dBFS
    // (0 dBFS sits at 0.707 of the meter).
    for (int i = 0; i < length; i += 3) {
        const double t = double(i) / double(length);  // from the quiet end
        const SRgb colour = t > 0.70 ? kDanger : t > 0.56 ? kCaution : Mix(Mix(kGood, kBase, 0.35), kGood, t / 0.56);
        if (vertical)
            cairo_rectangle(cr, 0, height - i - 2, width, 2);
        else
            cairo_rectangle(cr, i, 0, 2, height);
        c.Colour(colour);
        cairo_fill(cr);
    }
    return Take(c);
}

SImage CArt::ReductionMeter(int width, int height, bool vertical) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    const int length = vertical ? height : width;
    for (int i = 0; i < length; i += 3) {
        const double t = double(i) / double(length);  // from the start of the reduction
        const SRgb colour = Mix(kWarm, kDanger, t);
        if (vertical)
            cairo_rectangle(cr, 0, i, width, 2);
        else
            cairo_rectangle(cr, i, 0, 2, height);
        c.Colour(colour);
        cairo_fill(cr);
    }
    return Take(c);
}

SImage CArt::Light(int width, int height, const std::string& label, double r, double g, double b) const
{
    CCanvas c(width, height * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, frame * height);
        c.RoundedRect(0.5, 0.5, width - 1, height - 1, 3);
        if (on) {
            c.FillGradient(0, height, {std::fmin(1, r + 0.2), std::fmin(1, g + 0.2), std::fmin(1, b + 0.2)}, {r, g, b});
        } else {
            c.Colour({r * 0.22, g * 0.22, b * 0.22});
            cairo_fill(cr);
        }
        c.RoundedRect(0.5, 0.5, width - 1, height - 1, 3);
        cairo_set_line_width(cr, 1);
        c.Colour({0, 0, 0}, 0.6);
        cairo_stroke(cr);
        c.Text(label, width / 2.0, height - 2.5, fonts_.CondensedBold(), 8,
               on ? SRgb{0.1, 0.05, 0.05} : SRgb{r * 0.6, g * 0.6, b * 0.6}, 1);
        cairo_restore(cr);
    }
    return Take(c);
}

SImage CArt::EqHandle(int size, int band) const
{
    static const SRgb kBandColours[] = {{0.96, 0.36, 0.36}, {1.0, 0.66, 0.25}, {0.95, 0.88, 0.3},
                                        {0.36, 0.86, 0.5},  {0.3, 0.7, 1.0},   {0.72, 0.5, 1.0}};
    const SRgb colour = kBandColours[(band - 1) % 6];
    CCanvas c(size, size * 2);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const double cx = size / 2.0, cy = frame * size + size / 2.0, r = size / 2.0 - 1;
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        c.Colour(frame ? colour : Mix(colour, kBase, 0.25), frame ? 1.0 : 0.9);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, frame ? 1.5 : 1);
        c.Colour(frame ? SRgb{1, 1, 1} : SRgb{0, 0, 0}, 0.8);
        cairo_stroke(cr);
        c.Text(std::to_string(band), cx, cy + 3.5, fonts_.SansBold(), 9, {0.05, 0.05, 0.06}, 1);
    }
    return Take(c);
}

SImage CArt::EqDisplay(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    cairo_rectangle(cr, 0, 0, width, height);
    c.FillGradient(0, height, {0.06, 0.075, 0.095}, {0.035, 0.04, 0.05});
    // Frequency lines on the display's logarithmic axis, 16 Hz .. 20.4 kHz.
    auto xOf
        = [width](double f) { return std::round((width - 1) * std::log(f / 16.0) / std::log(20400.0 / 16.0)) + 0.5; };
    const double lines[] = {20,  30,  40,  50,   60,   70,   80,   90,   100,  200,  300,  400,  500,   600,
                            700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};
    cairo_set_line_width(cr, 1);
    for (double f : lines) {
        const bool decade = f == 100 || f == 1000 || f == 10000;
        cairo_move_to(cr, xOf(f), 0);
        cairo_line_to(cr, xOf(f), height - 12);
        c.Colour(kText, decade ? 0.16 : 0.06);
        cairo_stroke(cr);
    }
    const struct {
        double f;
        const char* text;
    } labels[] = {{50, "50"},   {100, "100"}, {200, "200"},   {500, "500"},  {1000, "1k"},
                  {2000, "2k"}, {5000, "5k"}, {10000, "10k"}, {20000, "20k"}};
    // Centred under their lines; the last one ends at the right edge instead of
    // running past it.
    for (const auto& l : labels) {
        const bool last = l.f == 20000;
        c.Text(l.text, last ? width - 3 : xOf(l.f), height - 2.5, fonts_.Condensed(), 9, kTextDim, last ? 2 : 1);
    }
    // Gain lines on the -24 .. +18 dB axis.
    auto yOf = [height](double db) { return std::round((height - 1) * (1.0 - (db + 24.0) / 42.0)) + 0.5; };
    for (int db = -18; db <= 12; db += 6) {
        cairo_move_to(cr, 24, yOf(db));
        cairo_line_to(cr, width, yOf(db));
        c.Colour(db == 0 ? kAccent : kText, db == 0 ? 0.35 : 0.08);
        cairo_stroke(cr);
        const std::string text = db > 0 ? "+" + std::to_string(db) : std::to_string(db);
        c.Text(text, 20, yOf(db) + 3.5, fonts_.Condensed(), 9, db == 0 ? kAccent : kTextDim, 2);
    }
    // The display's own frame.
    cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
    c.Colour({0, 0, 0}, 0.8);
    cairo_stroke(cr);
    return Take(c);
}

SImage CArt::DisplayPanel(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    cairo_rectangle(cr, 0, 0, width, height);
    c.FillGradient(0, height, {0.115, 0.13, 0.155}, {0.085, 0.095, 0.115});
    Noise(c, 0.012);
    cairo_move_to(cr, 0, height - 0.5);
    cairo_line_to(cr, width, height - 0.5);
    cairo_set_line_width(cr, 1);
    c.Colour({0, 0, 0}, 0.8);
    cairo_stroke(cr);
    // The brand, the read-out strips along the top, the EQ display's well.
    c.Text("QUILLSTRIP", 8, 19, fonts_.SansBold(), 12, kAccent);
    c.Text("PRO SMALL", 8, 30, fonts_.CondensedBold(), 8, kTextDim);
    c.Well(92, 5, 160, 20, 3);
    c.Well(314, 5, 190, 20, 3);
    c.Well(49, 57, 68, 20, 3);
    c.Well(142, 33, 496, 145, 4);
    c.Text("Kelmora", 518, 19, fonts_.Condensed(), 10, kTextDim);
    // Labels of the controls around the display (positions of the editor's layout).
    c.Text("ROUTING", 12, 50, fonts_.CondensedBold(), 9, kTextDim);
    c.Text("DELAY", 70, 98, fonts_.CondensedBold(), 9, kTextDim, 1);
    c.Text("PHASE", 29, 178, fonts_.CondensedBold(), 9, kTextDim, 1);
    c.Text("ANALYSER", 663, 50, fonts_.CondensedBold(), 9, kTextDim);
    c.Text("FFT", 662, 114, fonts_.CondensedBold(), 9, kTextDim);
    // The band strip under the display, for the EQ band panes.
    c.Well(144, 184, 492, 86, 4);
    return Take(c);
}

SImage CArt::Background(int width, int height, int variant) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    const SRgb tops[] = {{0.10, 0.112, 0.133}, {0.115, 0.115, 0.12}, {0.09, 0.11, 0.13}};
    const SRgb bottoms[] = {{0.06, 0.066, 0.078}, {0.07, 0.07, 0.073}, {0.055, 0.066, 0.08}};
    cairo_rectangle(cr, 0, 0, width, height);
    c.FillGradient(0, height, tops[variant % 3], bottoms[variant % 3]);
    Noise(c, 0.015);
    // The lower part of the editor: input fader on the left, output on the
    // right, the section panes' well between them.
    FaderScale(c, fonts_, 30, true);
    FaderScale(c, fonts_, 750, false);
    c.Well(kSectionWellX, 284, kSectionWellWidth, 210, 5);
    if (height > 500) {
        // The tall variants carry a spare strip under the panes.
        c.Well(kSectionWellX, 508, kSectionWellWidth, height - 520, 5);
    }
    return Take(c);
}

SImage CArt::SectionPanel(int width, int height, const std::string& title) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.RoundedRect(0.5, 0.5, width - 1, height - 1, 5);
    c.FillGradient(0, height, {0.13, 0.145, 0.17}, {0.1, 0.11, 0.13});
    c.RoundedRect(0.5, 0.5, width - 1, height - 1, 5);
    cairo_set_line_width(cr, 1);
    c.Colour(kEdge);
    cairo_stroke(cr);
    c.Text(title, 12, 18, fonts_.SansBold(), 12, kText);
    cairo_move_to(cr, 12, 24.5);
    cairo_line_to(cr, 60, 24.5);
    c.Colour(kAccent);
    cairo_stroke(cr);
    // The pane's read-out strip along the bottom.
    c.Well(10, height - 28, width - 20, 20, 3);
    return Take(c);
}

SImage CArt::BandPanel(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.RoundedRect(0.5, 0.5, width - 1, height - 1, 4);
    c.FillGradient(0, height, {0.13, 0.145, 0.17}, {0.11, 0.12, 0.14});
    c.RoundedRect(0.5, 0.5, width - 1, height - 1, 4);
    cairo_set_line_width(cr, 1);
    c.Colour(kEdge, 0.8);
    cairo_stroke(cr);
    return Take(c);
}

SImage CArt::SettingsBackdrop(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    // The editor stays visible, dimmed, around the panel.
    cairo_rectangle(cr, 0, 0, width, height);
    c.Colour({0.02, 0.025, 0.03}, 0.72);
    cairo_fill(cr);
    const double x = 200, y = 205, w = 440, h = 168;
    c.RoundedRect(x + 2, y + 4, w, h, 8);
    c.Colour({0, 0, 0}, 0.5);
    cairo_fill(cr);
    c.Raised(x, y, w, h, 8, {0.16, 0.18, 0.21}, {0.12, 0.135, 0.16});
    c.Text("SETTINGS", x + 14, y + 22, fonts_.SansBold(), 13, kText);
    cairo_move_to(cr, x + 14, y + 29.5);
    cairo_line_to(cr, x + 84, y + 29.5);
    cairo_set_line_width(cr, 1);
    c.Colour(kAccent);
    cairo_stroke(cr);
    // Labels of the lists (116 x 20 at x 328) and of the sliders (travel 130 at x 478).
    const char* lists[] = {"Knob mode", "Meter mode", "Tooltips", "Eye candy", "Background"};
    for (int i = 0; i < 5; ++i)
        c.Text(lists[i], 320, 245 + 23 * i + 14, fonts_.Condensed(), 11, kTextDim, 2);
    const char* sliders[] = {"Hue", "Saturation", "Brightness"};
    for (int i = 0; i < 3; ++i) {
        const double sy = 243 + 35 * i;
        c.Text(sliders[i], 478, sy - 3, fonts_.Condensed(), 10, kTextDim);
        c.Well(478 + 4, sy + 7, 130 - 8, 4, 2);
        for (int t = 0; t <= 4; ++t) {
            const double tx = std::round(478 + 11.5 + (130 - 23) * t / 4.0) + 0.5;
            cairo_move_to(cr, tx, sy + 13);
            cairo_line_to(cr, tx, sy + 16);
            c.Colour(t == 2 ? kAccent : kTextDim, 0.7);
            cairo_stroke(cr);
        }
    }
    return Take(c);
}

SImage CArt::AboutBox(int width, int height) const
{
    CCanvas c(width, height);
    cairo_t* cr = c.Cr();
    c.Raised(0, 0, width, height, 8, {0.16, 0.18, 0.21}, {0.11, 0.125, 0.15});
    c.Text("QUILLSTRIP", width / 2.0, 60, fonts_.SansBold(), 26, kAccent, 1);
    c.Text("PRO SMALL", width / 2.0, 84, fonts_.CondensedBold(), 13, kText, 1);
    cairo_move_to(cr, width / 2.0 - 40, 98.5);
    cairo_line_to(cr, width / 2.0 + 40, 98.5);
    cairo_set_line_width(cr, 1);
    c.Colour(kEdge);
    cairo_stroke(cr);
    c.Text("Stereo channel strip", width / 2.0, 124, fonts_.Sans(), 12, kText, 1);
    c.Text(std::string("Version ") + kQuillstripVersion, width / 2.0, 144, fonts_.Condensed(), 11, kTextDim, 1);
    c.Text("Kelmora", width / 2.0, height - 24, fonts_.SansBold(), 12, kTextDim, 1);
    return Take(c);
}

SImage CArt::Logo(int width, int height) const
{
    CCanvas c(width, height);
    c.Text("Kelmora", 2, height - 6, fonts_.SansBold(), 16, kText);
    cairo_arc(c.Cr(), width - 10, height / 2.0, 4, 0, 2 * M_PI);
    c.Colour(kAccent);
    cairo_fill(c.Cr());
    return Take(c);
}

SImage CArt::Placeholder() const
{
    CCanvas c(16, 16);
    cairo_rectangle(c.Cr(), 0, 0, 16, 16);
    c.Colour(kPanel);
    cairo_fill(c.Cr());
    return Take(c);
}

}  // namespace skin
