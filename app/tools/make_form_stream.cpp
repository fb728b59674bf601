// make_form_stream ENZYME SUBSTRATE PRODUCT COMPLEX OUTPUT
// Lays out Form1's description stream with the four bitmap files as the pictures of
// Picture1, Picture2, Picture3 and Picture4, reads it back as a check, and writes OUTPUT.
#include <cstdio>
#include <exception>
#include <string>

#include "app/form1_model.h"
#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "app/tools/file_bytes.h"
#include "runtime/bitmap/bitmap.h"

namespace {

std::vector<std::uint8_t> load_bitmap(const char* path) {
  auto bytes = morvane::app::tools::read_file(path);
  // Only what the program shows is embedded: an uncompressed 24-bit bitmap that the
  // runtime's decoder takes.
  try {
    const morvane::runtime::BitmapView bitmap = morvane::runtime::view_bmp(bytes);
    if (bitmap.bits_per_pixel() != 24)
      throw std::runtime_error(std::string(path) + ": expected a 24-bit bitmap, found " +
                               std::to_string(bitmap.bits_per_pixel()) + " bits per pixel");
  } catch (const morvane::runtime::BitmapError& e) {
    throw std::runtime_error(std::string(path) + ": " + e.what());
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s ENZYME.bmp SUBSTRATE.bmp PRODUCT.bmp COMPLEX.bmp OUTPUT\n", argv[0]);
    return 2;
  }
  try {
    morvane::app::Form1Pictures pictures;
    pictures.enzyme = load_bitmap(argv[1]);
    pictures.substrate = load_bitmap(argv[2]);
    pictures.product = load_bitmap(argv[3]);
    pictures.complex = load_bitmap(argv[4]);
    const auto model = morvane::app::form1_model(pictures);
    const auto stream = morvane::form::write_form_stream(model);
    if (morvane::form::read_form_stream(stream) != model)
      throw std::runtime_error("the stream laid out does not read back as the window it was made from");
    morvane::app::tools::write_file(argv[5], stream);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_form_stream: %s\n", e.what());
    return 1;
  }
  return 0;
}
