// Vowel modifiers: the circumflex, horn and breve that change a vowel's shape, with a tone
// stacked on the changed letter.
#pragma once

#include "render/place.hpp"
#include "render/vowel.hpp"

#include <string_view>

namespace diaset {

// A modifier and the vowels it combines with, and how the combination is drawn.
struct Modification {
  char modifier;
  std::string_view vowels;
  bool overstrike; // the vowel is written as troff's overstrike with "^" instead of plainly
  unsigned char mark_count;
  Placement marks[2];
  VowelClass after; // the class a following tone sees
  MarkTexts texts[2];
};

constexpr Modification with_texts(Modification m) {
  for (unsigned char i = 0; i < m.mark_count; ++i) m.texts[i] = mark_texts(m.marks[i]);
  return m;
}

// clang-format off
inline constexpr Modification MODIFICATIONS[] = {
    with_texts({'^', "aeo", true,  0, {},                                     AfterCircumflex, {}}),
    with_texts({'^', "AEO", false, 1, {{'^', 0.55, 0}},                       AfterCircumflex, {}}),
    with_texts({'+', "ou",  false, 1, {{'?', 0.25, -0.1}},                    AfterHorn,       {}}),
    with_texts({'+', "OU",  false, 1, {{'?', 0.2, -0.05}},                    AfterHorn,       {}}),
    with_texts({'(', "aA",  false, 2, {{'`', 0.5, -0.1}, {'\'', 0.48, -0.1}}, AfterBreve,      {}}),
};
// clang-format on

// How a vowel and the byte after it combine, or null if they do not.
const Modification* modification(int vowel, int modifier);

// Writes a vowel changed by its modifier, and returns the class a tone on it sees.
VowelClass modifier_step(int vowel, const Modification& modified);

} // namespace diaset
