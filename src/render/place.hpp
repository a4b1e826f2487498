// Mark placement: one diacritic drawn over or under the letter just written, by local motions
// around a zero-width glyph, leaving troff's position where the letter left it.
//
// A mark's text depends only on its glyph, its two offsets and the letter's shift, and the
// tables hold few such combinations, so every text is made once, at compile time, and drawing a
// mark is one copy.
#pragma once

#include "stream/output.hpp"

#include <array>
#include <cstddef>
#include <string_view>

namespace diaset {

// Extra displacement of every mark on the current letter, in em: further left, and higher.
struct LetterShift {
  float left;
  float raise;
};

// The shifts a letter can give its marks. A capital raises its marks, and all but "I" also move
// them left; the dot below a capital hangs at the baseline, so it keeps only the left part.
enum Shift : unsigned char { NoShift, CapitalIShift, CapitalShift, CapitalDotShift, SHIFT_COUNT };

inline constexpr LetterShift LETTER_SHIFTS[SHIFT_COUNT] = {
    {0, 0}, {0, 0.2f}, {0.1f, 0.2f}, {0.1f, 0}};

// The same shifts with the raise taken away.
inline constexpr Shift UNRAISED[SHIFT_COUNT] = {NoShift, NoShift, CapitalDotShift, CapitalDotShift};

// The shift of the letter being rendered; the scan loop resets it for every byte.
extern Shift letter_shift;

// A mark: its glyph character and its offset from the position after the letter, in em,
// to the left and upwards.
struct Placement {
  char glyph;
  double left;
  double raise;
};

// The troff text of a mark: two motions out, the glyph, two motions back; 49 bytes at most.
struct MarkText {
  unsigned char size;
  char bytes[63];
};

// A mark's text under each shift.
using MarkTexts = std::array<MarkText, SHIFT_COUNT>;

struct Glyph {
  char glyph;
  std::string_view text;
};

// Every glyph string starts with troff's zero-width escape, so drawing it does not move on.
inline constexpr Glyph mark_glyph[] = {
    {'\'', "\\z\\'"}, {'`', "\\z\\`"}, {'?', "\\z'"},     {'~', "\\z\\fB~\\fP"},
    {'.', "\\z."},    {'^', "\\z^"},   {'-', "\\z\\(hy"},
};

constexpr void append(MarkText& text, std::string_view bytes) {
  for (const char c : bytes) text.bytes[text.size++] = c;
}

// Appends a length as printf's "%.2f" writes it. The float widened to double and times 100 is
// exact (24 significant bits and 7 more), so rounding that half to even gives printf's digits.
// Lengths here are a few em at most.
constexpr void append_hundredths(MarkText& text, float length) {
  double hundredths = static_cast<double>(length) * 100;
  if (length < 0) {
    append(text, "-");
    hundredths = -hundredths;
  }
  auto whole = static_cast<unsigned long long>(hundredths);
  const double rest = hundredths - static_cast<double>(whole);
  if (rest > 0.5 || (rest == 0.5 && whole % 2 == 1)) ++whole;
  char digits[24] = {};
  int n = 0;
  for (unsigned long long w = whole; n < 3 || w != 0; w /= 10)
    digits[n++] = static_cast<char>('0' + w % 10);
  while (n > 2) text.bytes[text.size++] = digits[--n];
  append(text, ".");
  text.bytes[text.size++] = digits[1];
  text.bytes[text.size++] = digits[0];
}

constexpr void append_motion(MarkText& text, char direction, float length) {
  append(text, "\\");
  text.bytes[text.size++] = direction;
  append(text, "'");
  append_hundredths(text, length);
  append(text, "m'");
}

constexpr MarkText mark_text(const Placement& mark, LetterShift shift) {
  MarkText text{};
  // The sums are taken in single precision, as the shift is kept.
  const float h = shift.left + static_cast<float>(mark.left);
  const float v = shift.raise + static_cast<float>(mark.raise);
  if (h != 0) append_motion(text, 'h', -h);
  if (v != 0) append_motion(text, 'v', -v);
  for (const Glyph& g : mark_glyph)
    if (g.glyph == mark.glyph) append(text, g.text);
  if (v != 0) append_motion(text, 'v', v);
  if (h != 0) append_motion(text, 'h', h);
  return text;
}

constexpr MarkTexts mark_texts(const Placement& mark) {
  MarkTexts texts{};
  for (int s = 0; s < SHIFT_COUNT; ++s)
    texts[static_cast<std::size_t>(s)] = mark_text(mark, LETTER_SHIFTS[s]);
  return texts;
}

// Draws a mark on the current letter.
inline void place_mark(const MarkTexts& mark) {
  const MarkText& text = mark[letter_shift];
  put_text(text.bytes, text.size);
}

} // namespace diaset
