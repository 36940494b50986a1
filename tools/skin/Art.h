#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Fonts.h"

namespace skin {

// Where the section panes sit in the editor: right of the section switches and
// selector, left of the output meters.
constexpr int kSectionWellX = 310;
constexpr int kSectionWellWidth = 384;

// An image ready for the resource file: pixels as the toolkit keeps them.
struct SImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Everything the skin draws. Multi-frame images stack their frames top to
// bottom; the sizes given are one frame's.
class CArt {
public:
    explicit CArt(const CFonts& fonts) : fonts_(fonts) {}

    // 127-frame film strip of a size x size knob; bipolar arcs grow from the top.
    SImage KnobStrip(int size, bool bipolar, int frames = 127) const;
    // Two frames: up (or off) and down (or on).
    SImage TextButton(int width, int height, const std::string& label, bool led) const;
    SImage SectionSelector(const std::string& label) const;
    SImage OnOffButton() const;
    SImage RoundToggle(int size) const;
    SImage CloseButton(int size) const;
    SImage RoutingButton(int size) const;
    SImage MenuButton(int width, int height) const;
    // One frame per label.
    SImage MultiState(int width, int height, const std::vector<std::string>& labels) const;
    SImage ListBox(int width, int height) const;
    SImage FaderCap(int width, int height) const;
    SImage SliderHandle(int width, int height) const;
    SImage ScrollTrack(int width, int height) const;
    SImage ScrollThumb(int width, int height) const;
    // Fully lit meters; vertical ones lit from the bottom with red at the top,
    // or (reduction) in amber from the top.
    SImage LevelMeter(int width, int height, bool vertical) const;
    SImage ReductionMeter(int width, int height, bool vertical) const;
    SImage Light(int width, int height, const std::string& label, double r, double g, double b) const;
    SImage EqHandle(int size, int band) const;
    SImage EqDisplay(int width, int height) const;
    SImage DisplayPanel(int width, int height) const;
    SImage Background(int width, int height, int variant) const;
    SImage SectionPanel(int width, int height, const std::string& title) const;
    SImage BandPanel(int width, int height) const;
    SImage SettingsBackdrop(int width, int height) const;
    SImage AboutBox(int width, int height) const;
    SImage Logo(int width, int height) const;
    // A small neutral square for ids the editor does not draw.
    SImage Placeholder() const;

private:
    const CFonts& fonts_;
};

}  // namespace skin
