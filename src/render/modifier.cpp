#include "render/modifier.hpp"

#include "stream/output.hpp"

#include <array>

namespace diaset {

namespace {

constexpr ByteIndex MODIFIER_INDEX = index_of(MODIFIERS);

// For each modifier and vowel byte, the row of MODIFICATIONS that combines them, or -1.
using Combinations = std::array<ByteIndex, MODIFIERS.size()>;

constexpr Combinations combinations() {
  Combinations rows{};
  for (ByteIndex& row : rows) row.fill(-1);
  for (std::size_t r = 0; r < std::size(MODIFICATIONS); ++r) {
    const Modification& m = MODIFICATIONS[r];
    for (const char vowel : m.vowels)
      rows[static_cast<std::size_t>(MODIFIER_INDEX[static_cast<unsigned char>(m.modifier)])]
          [static_cast<unsigned char>(vowel)] = static_cast<signed char>(r);
  }
  return rows;
}

constexpr Combinations COMBINATIONS = combinations();

} // namespace

const Modification* modification(int vowel, int modifier) {
  const int m = member(MODIFIER_INDEX, modifier);
  if (m < 0) return nullptr;
  const int row = COMBINATIONS[static_cast<std::size_t>(m)][static_cast<unsigned char>(vowel)];
  return row < 0 ? nullptr : &MODIFICATIONS[row];
}

VowelClass modifier_step(int vowel, const Modification& modified) {
  if (modified.overstrike) {
    put_text("\\o'", 3);
    put_byte(vowel);
    put_text("^'", 2);
  } else {
    put_byte(vowel);
  }
  for (unsigned char i = 0; i < modified.mark_count; ++i) place_mark(modified.texts[i]);
  return modified.after;
}

} // namespace diaset
