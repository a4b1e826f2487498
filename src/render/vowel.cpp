#include "render/vowel.hpp"

#include "render/glyph.hpp"
#include "render/modifier.hpp"
#include "render/place.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "warn/warn.hpp"

namespace diaset {

namespace {

Shift shift_of(int vowel) {
  if (vowel == 'I') return CapitalIShift;
  return vowel >= 'A' && vowel <= 'Z' ? CapitalShift : NoShift;
}

} // namespace

void vowel_path(int vowel) {
  if (warnings_on) hold_vowel(input.pos - 1);
  const int next = peek_byte();
  if (member(MARK_INDEX, next) < 0) return put_byte(vowel);
  int modifier = 0;
  if (member(TONE_INDEX, next) < 0) {
    // A modifier that does not fit the vowel is left to the scan loop, which copies it.
    if (modification(vowel, next) == nullptr) return put_byte(vowel);
    modifier = take_byte();
  }
  const int tone = member(TONE_INDEX, peek_byte()) >= 0 ? take_byte() : 0;
  if (warnings_on && tone != 0) note_held_tone(modifier, tone, input.pos);
  write_letter(vowel, modifier, tone);
}

void write_letter(int vowel, int modifier, int tone) {
  if (letter_form == LetterForm::GlyphName) return put_glyph_name(letter_of(vowel, modifier, tone));
  letter_shift = shift_of(vowel);
  VowelClass vowel_class = vowel == 'i' || vowel == 'I' ? PlainI : Plain;
  if (modifier != 0) {
    vowel_class = modifier_step(vowel, *modification(vowel, modifier));
  } else {
    put_byte(vowel);
  }
  if (tone != 0) place_tone(vowel_class, tone);
}

void place_tone(VowelClass vowel_class, int tone_byte) {
  const int tone = member(TONE_INDEX, tone_byte);
  // The dot below hangs under the letter, whatever its height.
  if (tone == DotBelow) letter_shift = UNRAISED[letter_shift];
  place_mark(TONE_MARKS[static_cast<std::size_t>(tone)][vowel_class]);
}

} // namespace diaset
