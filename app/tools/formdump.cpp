// formdump FILE [--extract OUT]
// Prints the form description stream in FILE as text: the header, the form and each
// control with its properties. FILE is a stream file, or any file that carries a stream
// (the executable): the stream is then found by its header. --extract writes the stream
// found to OUT. Exits 1 when no readable stream is found or a picture in it would not
// be shown (each named with its box and offset), 2 on a usage error.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1_model.h"
#include "app/tools/file_bytes.h"
#include "form/form_stream_reader.h"
#include "form/property_table.h"
#include "form/stream_bytes.h"
#include "form/stream_locator.h"
#include "formats/utf16.h"
#include "runtime/bitmap/bitmap.h"

namespace {

using namespace morvane::form;

std::string narrow_text(std::string_view s) {
  std::string out = "\"";
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c >= 0x20 && c < 0x7F) {
      out += ch;
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", c);
      out += esc;
    }
  }
  return out + "\"";
}

// UTF-16 for display: quotes and backslashes escaped, control characters as \xNN,
// unpaired surrogates as U+FFFD.
std::string wide_text(std::u16string_view s) {
  std::string out = "\"";
  for (const char ch : morvane::formats::utf16_to_utf8(s)) {
    const auto c = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", static_cast<unsigned>(c));
      out += esc;
    } else {
      out += ch;
    }
  }
  return out + "\" (" + std::to_string(s.size()) + " characters)";
}

std::string colour_text(std::uint32_t v) {
  if (v & 0x80000000u) return hex_word(v) + " (system colour " + std::to_string(v & 0x7FFFFFFFu) + ")";
  char rgb[16];
  std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
  return hex_word(v) + " (RGB " + rgb + ")";
}

std::string picture_text(std::span<const std::uint8_t> data) {
  std::string out = std::to_string(data.size()) + " bytes of image data, ";
  try {
    const morvane::runtime::BitmapView bitmap = morvane::runtime::view_bmp(data);
    out += "bitmap " + std::to_string(bitmap.width()) + " x " + std::to_string(bitmap.height()) + ", " +
           std::to_string(bitmap.bits_per_pixel()) + " bits per pixel";
  } catch (const morvane::runtime::BitmapError& e) {
    out += std::string("refused: ") + e.what();
  }
  return out;
}

// The pictures that the program would refuse to show, each with its box and offset in the stream.
std::vector<std::string> refused_pictures(const WindowModel& model, std::span<const std::uint8_t> stream) {
  std::vector<std::string> refusals;
  for (const ControlRecord& c : model.controls) {
    const auto picture = c.properties.get<PictureBytes>("picture");
    if (!picture) continue;
    const std::span<const std::uint8_t> file = picture->bytes();
    try {
      morvane::runtime::view_bmp(file);
    } catch (const morvane::runtime::BitmapError& e) {
      const auto at = static_cast<std::size_t>(file.data() - stream.data()) + e.offset();
      refusals.push_back("stream offset " + std::to_string(at) + ": the picture of " + c.name + " does not decode: " +
                         e.what());
    }
  }
  return refusals;
}

std::string value_text(const PropertyRow& property, const PropertyValue& value) {
  switch (property.encoding) {
    case Encoding::byte:
      if (property.field == "visible") return std::get<std::uint8_t>(value) == 0 ? "no" : "yes";
      if (property.field == "drag_mode") {
        const auto mode = std::get<std::uint8_t>(value);
        return std::to_string(mode) + (mode == 1 ? " (automatic)" : mode == 0 ? " (manual)" : "");
      }
      return std::to_string(std::get<std::uint8_t>(value));
    case Encoding::int16: return std::to_string(std::get<std::int16_t>(value));
    case Encoding::word32: return hex_word(std::get<std::uint32_t>(value));
    case Encoding::colour: return colour_text(std::get<std::uint32_t>(value));
    case Encoding::rectangle16:
    case Encoding::rectangle32: {
      const Rect& r = std::get<Rect>(value);
      return "left " + std::to_string(r.left) + ", top " + std::to_string(r.top) + ", width " +
             std::to_string(r.width) + ", height " + std::to_string(r.height) + " twips";
    }
    case Encoding::narrow_string: return narrow_text(std::get<std::string>(value));
    case Encoding::wide_string: return wide_text(std::get<std::u16string>(value));
    case Encoding::font: {
      const Font& f = std::get<Font>(value);
      std::string size = std::to_string(f.size_e4 / 10000);
      if (f.size_e4 % 10000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%04u", static_cast<unsigned>(f.size_e4 % 10000));
        size += fraction;
        while (size.back() == '0') size.pop_back();
      }
      return narrow_text(f.name) + " " + size + " pt, weight " + std::to_string(f.weight) + ", character set " +
             std::to_string(f.charset) + ", style " + hex_byte(f.style) + ", version " + std::to_string(f.version);
    }
    case Encoding::picture: return picture_text(std::get<PictureBytes>(value).bytes());
  }
  return "?";
}

void print_properties(ControlKind kind, const PropertySet& properties) {
  for (const PropertyRow* property : form_properties().coded(kind)) {
    const PropertyValue* value = properties.find(property->field);
    if (!value) continue;
    std::printf("  %s %s: %s\n", hex_byte(*property->code(kind)).c_str(), std::string(property->name_for(kind)).c_str(),
                value_text(*property, *value).c_str());
  }
}

void print_window(const WindowModel& model, const FormStreamRecords& records, std::size_t size,
                  std::size_t file_offset, const std::string& path) {
  const FormSettings& form = model.form;
  std::printf("Form description stream: %zu bytes at offset %zu of %s\n", size, file_offset, path.c_str());
  std::printf("Header: version byte %u\n", static_cast<unsigned>(form.header_version));
  const char* id_names[] = {"form identifier", "object identifier", "form class"};
  for (std::size_t i = 0; i < form.header_ids.size(); ++i)
    std::printf("  %-17s %s\n", id_names[i], form.header_ids[i].to_string().c_str());
  std::string fixed;
  for (std::uint8_t b : form.record_bytes) fixed += " " + hex_byte(b).substr(2);
  std::printf("Form %s (form): record of %u bytes at offset %zu, fixed bytes%s\n", narrow_text(form.name).c_str(),
              records.form.length, records.form.offset, fixed.c_str());
  print_properties(ControlKind::form, form.properties);
  for (std::size_t i = 0; i < model.controls.size(); ++i) {
    const ControlRecord& c = model.controls[i];
    std::printf("Control %u: %s (%s), record of %u bytes at offset %zu\n", static_cast<unsigned>(c.number),
                narrow_text(c.name).c_str(), std::string(kind_name(c.kind)).c_str(), records.controls[i].length,
                records.controls[i].offset);
    print_properties(c.kind, c.properties);
  }
}

struct Found {
  std::size_t offset = 0;
  std::span<const std::uint8_t> bytes;
  WindowModel model;
  FormStreamRecords records;
};

// A file that starts with a stream header, or holds none, is read whole as a stream, so
// that its own faults are reported; otherwise the first header at which a stream reads wins.
Found locate(std::span<const std::uint8_t> file) {
  auto candidates = find_form_streams(file, morvane::app::form1_id());
  const bool starts_as_stream = file.size() >= 2 && file[0] == 0xFF && file[1] == 0xCC;
  if (starts_as_stream || candidates.empty()) {
    Found f{0, file, {}, {}};
    try {
      f.model = read_form_stream(file, f.records);
    } catch (const FormStreamError& e) {
      if (starts_as_stream) throw;
      throw std::runtime_error(std::string("no form description stream header in the file; read whole as a stream: ") +
                               e.what());
    }
    return f;
  }
  std::optional<std::string> first_error;
  for (const StreamCandidate& c : candidates) {
    try {
      Found f{c.offset, c.bytes, {}, {}};
      f.model = read_form_stream(c.bytes, f.records);
      return f;
    } catch (const FormStreamError& e) {
      if (!first_error) first_error = "stream header at file offset " + std::to_string(c.offset) + ": " + e.what();
    }
  }
  throw std::runtime_error(*first_error);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> path;
  std::optional<std::string> extract;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--extract" && i + 1 < argc && !extract) {
      extract = argv[++i];
    } else if (!arg.starts_with("--") && !path) {
      path = std::string(arg);
    } else {
      path.reset();
      break;
    }
  }
  if (!path) {
    std::fprintf(stderr, "usage: %s FILE [--extract OUT]\n", argv[0]);
    return 2;
  }
  try {
    const auto file = morvane::app::tools::read_file(*path);
    const Found found = locate(file);
    print_window(found.model, found.records, found.bytes.size(), found.offset, *path);
    if (extract) morvane::app::tools::write_file(*extract, found.bytes);
    const auto refusals = refused_pictures(found.model, found.bytes);
    if (!refusals.empty()) {
      std::fflush(stdout);
      for (const std::string& r : refusals) std::fprintf(stderr, "formdump: %s: %s\n", path->c_str(), r.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "formdump: %s: %s\n", path->c_str(), e.what());
    return 1;
  }
  return 0;
}
