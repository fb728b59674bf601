#include "assets/painter/canvas.h"

#include <stdexcept>
#include <string>

namespace morvane::painter {

std::string to_string(const Box& box) {
  return "x " + std::to_string(box.x0) + "-" + std::to_string(box.x1) + ", y " + std::to_string(box.y0) + "-" +
         std::to_string(box.y1);
}

Canvas::Canvas(int width, int height, Rgb background) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("canvas size must be positive");
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background);
}

std::size_t Canvas::index(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                            ") outside the canvas");
  }
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
}

Rgb Canvas::at(int x, int y) const { return pixels_[index(x, y)]; }

void Canvas::set(int x, int y, Rgb colour) { pixels_[index(x, y)] = colour; }

void Canvas::fill(const Box& box, Rgb colour) {
  if (box.x0 > box.x1 || box.y0 > box.y1) throw std::invalid_argument("empty box");
  index(box.x0, box.y0);  // both corners must lie on the canvas
  index(box.x1, box.y1);
  for (int y = box.y0; y <= box.y1; ++y) {
    for (int x = box.x0; x <= box.x1; ++x) pixels_[index(x, y)] = colour;
  }
}

}  // namespace morvane::painter
