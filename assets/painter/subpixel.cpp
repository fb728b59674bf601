#include "assets/painter/subpixel.h"

#include <stdexcept>

namespace morvane::painter {

SampleMask::SampleMask(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("sample mask size must be positive");
  samples_.assign(static_cast<std::size_t>(width) * samples_per_pixel * static_cast<std::size_t>(height), 0);
}

bool SampleMask::at(int sample_x, int y) const {
  if (sample_x < 0 || y < 0 || sample_x >= width_ * samples_per_pixel || y >= height_) return false;
  return samples_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_ * samples_per_pixel) +
                  static_cast<std::size_t>(sample_x)] != 0;
}

void SampleMask::set(int sample_x, int y) {
  if (sample_x < 0 || y < 0 || sample_x >= width_ * samples_per_pixel || y >= height_) {
    throw std::out_of_range("sample outside the mask");
  }
  samples_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_ * samples_per_pixel) +
           static_cast<std::size_t>(sample_x)] = 1;
}

void SampleMask::merge(const SampleMask& other) {
  if (other.width_ != width_ || other.height_ != height_) throw std::invalid_argument("sample masks differ in size");
  for (std::size_t i = 0; i < samples_.size(); ++i) samples_[i] |= other.samples_[i];
}

Rgb smoothed_pixel(const SampleMask& mask, int x, int y) {
  Rgb colour = 0;
  for (int stripe = 0; stripe < 3; ++stripe) {
    // The stripe's own two samples are 6x + 2*stripe and the next; the window adds two each side.
    const int first = x * samples_per_pixel + 2 * stripe - 2;
    int count = 0;
    for (int s = first; s < first + 6; ++s) count += mask.at(s, y) ? 1 : 0;
    colour = (colour << 8) | smoothing_levels[static_cast<std::size_t>(count)];
  }
  return colour;
}

}  // namespace morvane::painter
