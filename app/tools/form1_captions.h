// Form1's captions in another language: the catalogue's texts in the language's code page,
// at the sizes its fitting record gives, in fonts of its character set.
#pragma once

#include <string>

#include "app/form1_model.h"
#include "app/tools/fitting_record.h"
#include "formats/languages.h"
#include "formats/words_file.h"

namespace morvane::app {

// Throws std::runtime_error naming `catalogue_name` and the context for a caption its code
// page cannot hold, or as check_fitting_record does (naming `record_name`).
Form1Captions language_captions(const formats::WordsFile& catalogue, const FittingRecord& record,
                                const formats::Language& language, const std::string& catalogue_name,
                                const std::string& record_name);

}  // namespace morvane::app
