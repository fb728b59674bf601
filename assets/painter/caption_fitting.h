// The sizes of a language's captions: each shaped in the language's caption face at the
// size Form1 declares where it fits the inside of its control, else at the largest whole
// pixel size that does, down to two thirds of the declared one.
#pragma once

#include <string>
#include <string_view>

#include "assets/painter/typesetter.h"

namespace morvane::painter {

// The room a caption has across its control, in pixels: a label's whole width; a push
// button's inside its focus rectangle (3 pixels in from its edge, as the runtime's
// renderer draws it) less a pixel on each side, so the ring never touches the letters.
int caption_room(std::string_view control);

// The size in pixels to the em at which `text` fits `room`. Throws std::runtime_error,
// naming the context and the smallest size, if it fits at none.
int fit_caption(const Typesetter& face, std::string_view context, const std::string& text, const std::string& language,
                int english_pixels, int room);

}  // namespace morvane::painter
