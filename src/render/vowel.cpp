#include "render/vowel.hpp"

#include "render/glyph.hpp"
#include "render/modifier.hpp"
#include "render/place.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"

namespace diaset {

namespace {

Shift shift_of(int vowel) {
  if (vowel == 'I') return CapitalIShift;
  return vowel >= 'A' && vowel <= 'Z' ? CapitalShift : NoShift;
}

} // namespace

void vowel_path(int vowel) {
  const int next = peek_byte();
  if (member(MARK_INDEX, next) < 0) return put_byte(vowel);
  if (letter_form == LetterForm::GlyphName) return glyph_letter(vowel, next);
  letter_shift = shift_of(vowel);
  const VowelClass vowel_class = vowel == 'i' || vowel == 'I' ? PlainI : Plain;
  if (member(TONE_INDEX, next) >= 0) {
    put_byte(vowel);
    return place_tone(vowel_class);
  }
  if (const Modification* modified = modification(vowel, next))
    return modifier_step(vowel, *modified);
  // A modifier that does not fit the vowel is left to the scan loop, which copies it.
  put_byte(vowel);
}

void place_tone(VowelClass vowel_class) {
  const int tone = member(TONE_INDEX, peek_byte());
  if (tone < 0) return;
  take_byte();
  // The dot below hangs under the letter, whatever its height.
  if (tone == DotBelow) letter_shift = UNRAISED[letter_shift];
  place_mark(TONE_MARKS[static_cast<std::size_t>(tone)][vowel_class]);
}

} // namespace diaset
