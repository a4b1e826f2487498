#include "render/place.hpp"

#include "driver/output.hpp"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace diaset {

Shift letter_shift;

namespace {

struct Glyph {
  char glyph;
  std::string_view text;
};

// Every glyph string starts with troff's zero-width escape, so drawing it does not move on.
constexpr Glyph mark_glyph[] = {
    {'\'', "\\z\\'"}, {'`', "\\z\\`"}, {'?', "\\z'"},     {'~', "\\z\\fB~\\fP"},
    {'.', "\\z."},    {'^', "\\z^"},   {'-', "\\z\\(hy"},
};

std::string_view glyph_text(char glyph) {
  for (const Glyph& g : mark_glyph)
    if (g.glyph == glyph) return g.text;
  return {};
}

std::size_t put_motion(char* out, char direction, float distance) {
  // A motion is at most "\h'-0.70m'", and the mark text has room to spare after it.
  const int n = std::snprintf(out, 16, "\\%c'%.2fm'", direction, static_cast<double>(distance));
  return static_cast<std::size_t>(n);
}

} // namespace

std::size_t format_mark(const Placement& mark, LetterShift shift, char* out) {
  // The sums are taken in single precision, as the letter's shift is kept.
  const float h = shift.left + static_cast<float>(mark.left);
  const float v = shift.raise + static_cast<float>(mark.raise);
  const std::string_view glyph = glyph_text(mark.glyph);
  std::size_t n = 0;
  if (h != 0) n += put_motion(out + n, 'h', -h);
  if (v != 0) n += put_motion(out + n, 'v', -v);
  std::memcpy(out + n, glyph.data(), glyph.size());
  n += glyph.size();
  if (v != 0) n += put_motion(out + n, 'v', v);
  if (h != 0) n += put_motion(out + n, 'h', h);
  return n;
}

void place_mark(const Placement& mark) {
  char text[MARK_TEXT_ROOM];
  put_text(text, format_mark(mark, LETTER_SHIFTS[letter_shift], text));
}

} // namespace diaset
