// Mark placement: one diacritic drawn over or under the letter just written, by local motions
// around a zero-width glyph, leaving troff's position where the letter left it.
#pragma once

#include <cstddef>

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

// Room for any mark's text: two motions out, the longest glyph and two motions back take 49
// bytes, and formatting a motion needs a few bytes to spare.
inline constexpr std::size_t MARK_TEXT_ROOM = 64;

// Writes the troff text of a mark drawn with a shift into out, which holds MARK_TEXT_ROOM
// bytes, and returns its length.
std::size_t format_mark(const Placement& mark, LetterShift shift, char* out);

// Draws a mark on the current letter.
void place_mark(const Placement& mark);

} // namespace diaset
