// Sub-pixel smoothing for a screen whose pixels carry red, green and blue stripes from left
// to right. The coverage of black ink is sampled six times across each pixel (two samples per
// stripe) and once per row; each stripe takes its brightness from the number of set samples
// in a window six samples wide centred on the stripe, quantised to seven levels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "assets/painter/canvas.h"

namespace morvane::painter {

inline constexpr int samples_per_pixel = 6;

// Brightness of a stripe by the number of set samples (0..6) in its window.
inline constexpr std::array<std::uint8_t, 7> smoothing_levels{0xFF, 0xDF, 0xBF, 0x9C, 0x74, 0x48, 0x00};

// Ink coverage, one bit per sample: width pixels of six samples across, height rows.
class SampleMask {
 public:
  SampleMask(int width, int height);

  int width() const { return width_; }  // in pixels
  int height() const { return height_; }
  bool at(int sample_x, int y) const;   // false outside the mask
  void set(int sample_x, int y);        // throws std::out_of_range outside the mask
  void merge(const SampleMask& other);  // union; sizes must match

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> samples_;
};

// The smoothed colour of pixel (x, y): black ink over a white ground.
Rgb smoothed_pixel(const SampleMask& mask, int x, int y);

}  // namespace morvane::painter
