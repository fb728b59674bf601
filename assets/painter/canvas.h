// An RGB raster painted by filled rectangles, the medium every picture and icon is drawn on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::painter {

using Rgb = std::uint32_t;  // 0x00RRGGBB

inline constexpr Rgb white = 0xFFFFFF;
inline constexpr Rgb black = 0x000000;
inline constexpr Rgb red = 0xFF0000;

// An inclusive range of columns and rows: x0..x1, y0..y1, rows counted from the top.
struct Box {
  int x0 = 0;
  int x1 = 0;
  int y0 = 0;
  int y1 = 0;
  int width() const { return x1 - x0 + 1; }
  int height() const { return y1 - y0 + 1; }
  bool contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
  friend bool operator==(const Box&, const Box&) = default;
};

// "x 58-151, y 159-185", for messages.
std::string to_string(const Box& box);

class Canvas {
 public:
  Canvas(int width, int height, Rgb background);

  int width() const { return width_; }
  int height() const { return height_; }

  // Both throw std::out_of_range for a pixel or box outside the canvas.
  Rgb at(int x, int y) const;
  void set(int x, int y, Rgb colour);
  void fill(const Box& box, Rgb colour);

  // Rows top first, 0x00RRGGBB.
  const std::vector<Rgb>& pixels() const { return pixels_; }

 private:
  std::size_t index(int x, int y) const;

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

}  // namespace morvane::painter
