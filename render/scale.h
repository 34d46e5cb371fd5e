// Lengths designed in pixels of a 96 DPI screen, on a screen of any DPI.
// Portable: no <windows.h>.
#pragma once
#include <cstdint>

constexpr int kBaseDpi = 96;

// `px96` at `dpi`, rounded to the nearest pixel, halves up (so -0.5 gives
// 0). A run of lengths laid end to end is scaled by its running position,
// never piece by piece: Scaled(a + b) - Scaled(a) is b's share, and the
// pieces then tile without a gap or an overlap.
constexpr int64_t Scaled(int64_t px96, int dpi) {
  const int64_t twice = 2 * px96 * dpi + kBaseDpi;  // 2 x (px96 x dpi / 96 + 1/2), x 96
  const int64_t den = 2 * kBaseDpi;
  return twice >= 0 ? twice / den : -((-twice + den - 1) / den);
}
constexpr int Scaled(int px96, int dpi) { return int(Scaled(int64_t(px96), dpi)); }

// The length from `from96` to `from96 + length96`, scaled as a part of a run.
constexpr int ScaledSpan(int from96, int length96, int dpi) {
  return Scaled(from96 + length96, dpi) - Scaled(from96, dpi);
}

// The greatest 96 DPI position x with Scaled(x, dpi) <= px: Unscaled(Scaled(x, dpi), dpi) == x for
// every x at dpi >= 96.
constexpr int64_t Unscaled(int64_t px, int dpi) {
  const int64_t num = 2 * kBaseDpi * px + kBaseDpi - 1;
  const int64_t den = 2 * int64_t(dpi);
  return num >= 0 ? num / den : -((-num + den - 1) / den);
}

// The DPIs the program's pictures are drawn at: the bitmaps of 96 DPI, and
// the same pictures drawn again at 125, 150, 200 and 250 %.
constexpr int kPictureDpis[] = {96, 120, 144, 192, 240};
constexpr int kPictureSetCount = int(sizeof kPictureDpis / sizeof kPictureDpis[0]);

// The set of pictures to show at `dpi` (an index of kPictureDpis): the
// smallest that is shrunk to it, or stretched by at most a fifteenth (sharper
// than the next set shrunk further); above them all, the largest.
constexpr int PictureSetFor(int dpi) {
  for (int set = 0; set < kPictureSetCount; ++set)
    if (kPictureDpis[set] * 16 >= dpi * 15) return set;
  return kPictureSetCount - 1;
}
