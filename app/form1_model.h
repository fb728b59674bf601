// Form1 as the form description stream carries it, laid out from its declaration
// (form1.h) and the four bitmap files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/window_model.h"

namespace morvane::app {

// The bitmap files of the four pictures, each a complete BMP file image.
struct Form1Pictures {
  std::vector<std::uint8_t> enzyme;
  std::vector<std::uint8_t> substrate;
  std::vector<std::uint8_t> product;
  std::vector<std::uint8_t> complex;
};

// A language's captions as its stream stores them: the narrow strings already in the
// language's code page, the fonts' character set and the sizes its captions were fitted at.
struct Form1Captions {
  std::string form, label, command;
  std::uint16_t charset = 0;
  std::uint32_t label_size_e4 = 0, command_size_e4 = 0;
};

// Form1's model; pictures that are empty are left out. With `captions`, another language's
// Form1: the same declaration with those captions and fonts.
form::WindowModel form1_model(const Form1Pictures& pictures, const std::optional<Form1Captions>& captions = {});

// The size of the font that Form1 declares for `control` ("Label1", "Command1"), in pixels
// to the em at 96 dots per inch; throws std::logic_error for a control without a font or
// one whose size is no whole number of pixels.
int declared_font_pixels(std::string_view control);

// Form1's identifier, by which its stream's header and the project image name it.
form::Guid form1_id();

}  // namespace morvane::app
