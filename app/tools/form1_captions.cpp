#include "app/tools/form1_captions.h"

#include <algorithm>
#include <stdexcept>

#include "app/tools/code_page.h"

namespace morvane::app {

namespace {

std::string caption_in_code_page(const formats::WordsFile& catalogue, std::string_view context,
                                 const formats::Language& language, const std::string& catalogue_name) {
  const auto entry = std::find_if(catalogue.entries.begin(), catalogue.entries.end(),
                                  [&](const formats::WordEntry& e) { return e.key == context; });
  if (entry == catalogue.entries.end())
    throw std::runtime_error(catalogue_name + ": no entry \"" + std::string(context) + "\"");
  try {
    return encode_code_page(entry->text, language.code_page);
  } catch (const CodePageError& e) {
    throw std::runtime_error(catalogue_name + ": the translation of \"" + std::string(context) + "\": " + e.what() +
                             "; " + std::string(language.tag) + "'s captions are stored in code page " +
                             std::to_string(language.code_page) + " (formats/languages.h)");
  }
}

}  // namespace

Form1Captions language_captions(const formats::WordsFile& catalogue, const FittingRecord& record,
                                const formats::Language& language, const std::string& catalogue_name,
                                const std::string& record_name) {
  const std::map<std::string, int> english{{std::string(label_caption_context), declared_font_pixels("Label1")},
                                           {std::string(command_caption_context), declared_font_pixels("Command1")}};
  const std::map<std::string, int> sizes = check_fitting_record(record, catalogue, english, record_name, language.tag);
  Form1Captions captions;
  captions.form = caption_in_code_page(catalogue, form_caption_context, language, catalogue_name);
  captions.label = caption_in_code_page(catalogue, label_caption_context, language, catalogue_name);
  captions.command = caption_in_code_page(catalogue, command_caption_context, language, catalogue_name);
  captions.charset = language.charset;
  captions.label_size_e4 = size_e4_of_pixels(sizes.at(std::string(label_caption_context)));
  captions.command_size_e4 = size_e4_of_pixels(sizes.at(std::string(command_caption_context)));
  return captions;
}

}  // namespace morvane::app
