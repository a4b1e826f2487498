#include "render/glyph.hpp"

#include "render/vowel.hpp"
#include "stream/input.hpp"

namespace diaset {

LetterForm letter_form = LetterForm::Drawn;

void glyph_letter(int vowel, int mark) {
  int modifier = 0;
  if (member(TONE_INDEX, mark) < 0) {
    if (letter_of(vowel, mark, 0) < 0) return put_byte(vowel);
    modifier = take_byte();
  }
  const int tone = member(TONE_INDEX, peek_byte()) >= 0 ? take_byte() : 0;
  put_glyph_name(letter_of(vowel, modifier, tone));
}

} // namespace diaset
