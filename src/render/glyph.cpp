#include "render/glyph.hpp"

namespace diaset {

LetterForm letter_form = LetterForm::Drawn;

} // namespace diaset
