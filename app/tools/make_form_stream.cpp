// make_form_stream ENZYME SUBSTRATE PRODUCT COMPLEX OUTPUT
//                  [--language TAG --catalogue PO --template POT --fitting RECORD]
// Lays out Form1's description stream with the four bitmap files as the pictures of
// Picture1, Picture2, Picture3 and Picture4, reads it back as a check, and writes OUTPUT.
// With a language, its captions come from its catalogue in its code page, at the sizes
// its fitting record (assets/TAG/fitting.txt) gives, in fonts of its character set.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/form1_model.h"
#include "form/form_stream_reader.h"
#include "form/form_stream_writer.h"
#include "app/tools/file_bytes.h"
#include "app/tools/fitting_record.h"
#include "app/tools/form1_captions.h"
#include "app/tools/message_catalogue.h"
#include "formats/languages.h"
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

std::string read_text(const std::string& path) {
  const auto bytes = morvane::app::tools::read_file(path);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The captions of the language named by the options, which must all be given.
morvane::app::Form1Captions captions_of(const std::map<std::string, std::string>& options) {
  const std::string& tag = options.at("--language");
  const auto language = morvane::formats::find_language(tag);
  if (!language) throw std::runtime_error("no language \"" + tag + "\" in formats/languages.h");
  const std::string& catalogue_path = options.at("--catalogue");
  const std::string& record_path = options.at("--fitting");
  morvane::formats::WordsFile catalogue;
  try {
    catalogue = morvane::app::read_translation(read_text(catalogue_path), read_text(options.at("--template")), tag);
  } catch (const morvane::app::CatalogueError& e) {
    throw std::runtime_error(catalogue_path + ": " + e.what());
  }
  if (!std::filesystem::is_regular_file(record_path))
    throw std::runtime_error("no fitting record " + record_path + ": run paint_pictures assets/" + tag +
                             " --language " + tag + " to fit the captions and picture words, and commit it");
  morvane::app::FittingRecord record;
  try {
    record = morvane::app::read_fitting_record(read_text(record_path));
  } catch (const morvane::app::FittingError& e) {
    throw std::runtime_error(record_path + ": " + e.what());
  }
  return morvane::app::language_captions(catalogue, record, *language, catalogue_path, record_path);
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  for (int i = 6; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
  const bool language = !options.empty();
  const bool options_whole = (argc - 6) % 2 == 0 && options.size() == (language ? 4u : 0u) &&
                             (!language || (options.count("--language") && options.count("--catalogue") &&
                                            options.count("--template") && options.count("--fitting")));
  if (argc < 6 || !options_whole) {
    std::fprintf(stderr,
                 "usage: %s ENZYME.bmp SUBSTRATE.bmp PRODUCT.bmp COMPLEX.bmp OUTPUT "
                 "[--language TAG --catalogue PO --template POT --fitting RECORD]\n",
                 argv[0]);
    return 2;
  }
  try {
    std::optional<morvane::app::Form1Captions> captions;
    if (language) {
      const std::string& tag = options.at("--language");
      for (int i = 1; i <= 4; ++i)
        if (!std::filesystem::is_regular_file(argv[i]))
          throw std::runtime_error(std::string("no picture ") + argv[i] + ": run paint_pictures assets/" + tag +
                                   " --language " + tag + " to paint the language's pictures, and commit them");
      captions = captions_of(options);
    }
    morvane::app::Form1Pictures pictures;
    pictures.enzyme = load_bitmap(argv[1]);
    pictures.substrate = load_bitmap(argv[2]);
    pictures.product = load_bitmap(argv[3]);
    pictures.complex = load_bitmap(argv[4]);
    const auto model = morvane::app::form1_model(pictures, captions);
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
