// Letters as groff's glyph names: "\[u1EC7]" for a vowel with its marks, with a fallback drawing
// for each, placed from the font's own metrics where troff finds the font lacks the glyph.
#pragma once

#include "letters/letters.hpp"
#include "stream/output.hpp"

namespace diaset {

// How a letter that takes marks is written.
enum class LetterForm : unsigned char {
  Drawn,     // the base letter with each mark drawn by motions around a zero-width glyph
  GlyphName, // groff's name for the precomposed character
};

// The form for this run; the driver sets it before filtering starts.
extern LetterForm letter_form;

inline void put_glyph_name(int letter) {
  put_text(GLYPH_NAMES[static_cast<std::size_t>(letter)].data(), sizeof(GlyphName));
}

// The troff requests that define a fallback drawing for every letter.
std::string_view fallback_definitions();

} // namespace diaset
