// Vietnamese letters in UTF-8: which characters are letters of the table, precomposed in part or
// in whole, and which combining characters are their marks. Derived from the letter table.
#pragma once

#include "letters/letters.hpp"

#include <array>
#include <cstdint>

namespace diaset {

// The combining marks, each with the input's mark byte for it: the tones (U+0340 and U+0341 are
// old spellings of the grave and the acute) and the modifiers.
struct CombiningMark {
  char32_t code;
  char mark;
};

inline constexpr CombiningMark COMBINING_MARKS[] = {
    {0x0300, '`'}, {0x0301, '\''}, {0x0303, '~'}, {0x0309, '?'}, {0x0323, '.'},
    {0x0340, '`'}, {0x0341, '\''}, {0x0302, '^'}, {0x0306, '('}, {0x031B, '+'},
};

// Every combining mark is two bytes, 0xCC or 0xCD and a continuation byte: the mark byte for
// each such pair, indexed by the lead's low bit and the continuation's low six bits; 0 for none.
using MarkPairs = std::array<char, 128>;

constexpr MarkPairs mark_pairs() {
  MarkPairs marks{};
  for (const CombiningMark& m : COMBINING_MARKS) marks[(m.code - 0x300) & 0x7F] = m.mark;
  return marks;
}

inline constexpr MarkPairs MARK_PAIRS = mark_pairs();

// The mark byte for a lead and a second byte, or 0 if they are not a combining mark of ours.
constexpr char combining_mark(int lead, int second) {
  if ((lead != 0xCC && lead != 0xCD) || second < 0x80 || second > 0xBF) return 0;
  return MARK_PAIRS[static_cast<std::size_t>(((lead & 1) << 6) | (second & 0x3F))];
}

// The letters by code point: those below U+0200 and those from U+1EA0, the two blocks they are
// in; -1 for any other character.
inline constexpr char32_t LOW_LETTERS = 0x200;
inline constexpr char32_t HIGH_LETTERS = 0x1EA0;

struct LetterCodes {
  std::array<std::int16_t, LOW_LETTERS> low;
  std::array<std::int16_t, 0x60> high;
};

constexpr LetterCodes letter_codes() {
  LetterCodes codes{};
  codes.low.fill(-1);
  codes.high.fill(-1);
  for (std::size_t i = 0; i < LETTER_COUNT; ++i) {
    const char32_t code = LETTERS[i].code;
    if (code < LOW_LETTERS)
      codes.low[code] = static_cast<std::int16_t>(i);
    else
      codes.high[code - HIGH_LETTERS] = static_cast<std::int16_t>(i);
  }
  return codes;
}

inline constexpr LetterCodes LETTER_CODES = letter_codes();

constexpr int letter_of_code(char32_t code) {
  if (code < LOW_LETTERS) return LETTER_CODES.low[code];
  if (code >= HIGH_LETTERS && code < HIGH_LETTERS + 0x60)
    return LETTER_CODES.high[code - HIGH_LETTERS];
  return -1;
}

static_assert(combining_mark(0xCC, 0x81) == '\'' && combining_mark(0xCD, 0x80) == '`' &&
              combining_mark(0xCC, 0x9B) == '+' && combining_mark(0xCC, 0x88) == 0);
static_assert(letter_of_code(0x1EC7) >= 0 && letter_of_code(0x00E4) == -1);

} // namespace diaset
