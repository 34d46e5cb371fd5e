// The 40 label colours offered by the label entry dialog, in swatch order
// (four rows of ten), as Windows colours 0x00BBGGRR. Portable.
#pragma once
#include <cstdint>

constexpr int32_t PaletteColor(int r, int g, int b) { return int32_t(r | g << 8 | b << 16); }

constexpr int kLabelPaletteSize = 40;
constexpr int32_t kLabelPalette[kLabelPaletteSize] = {
    PaletteColor(252, 249, 196), PaletteColor(255, 237, 187), PaletteColor(254, 218, 158),
    PaletteColor(249, 220, 188), PaletteColor(250, 191, 183), PaletteColor(178, 225, 241),
    PaletteColor(247, 211, 213), PaletteColor(227, 218, 235), PaletteColor(238, 233, 237),
    PaletteColor(153, 199, 235),  // row 1
    PaletteColor(182, 207, 212), PaletteColor(214, 237, 231), PaletteColor(155, 211, 174),
    PaletteColor(209, 235, 164), PaletteColor(231, 224, 206), PaletteColor(197, 198, 200),
    PaletteColor(216, 208, 189), PaletteColor(221, 176, 135), PaletteColor(208, 201, 191),
    PaletteColor(226, 227, 231),  // row 2
    PaletteColor(255, 138, 138), PaletteColor(255, 102, 102), PaletteColor(241, 223, 150),
    PaletteColor(233, 204, 88),  PaletteColor(134, 152, 223), PaletteColor(255, 168, 125),
    PaletteColor(188, 198, 237), PaletteColor(249, 223, 134), PaletteColor(245, 204, 63),
    PaletteColor(255, 132, 72),  // row 3
    PaletteColor(247, 166, 244), PaletteColor(243, 131, 240), PaletteColor(171, 150, 254),
    PaletteColor(132, 102, 253), PaletteColor(165, 239, 174), PaletteColor(173, 136, 95),
    PaletteColor(116, 231, 131), PaletteColor(255, 255, 155), PaletteColor(255, 255, 4),
    PaletteColor(0, 128, 192),  // row 4
};
