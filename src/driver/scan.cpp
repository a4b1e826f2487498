#include "driver/scan.hpp"

#include "driver/replay.hpp"
#include "driver/utf8_scan.hpp"
#include "render/glyph.hpp"
#include "render/place.hpp"
#include "render/vowel.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "warn/warn.hpp"

namespace diaset {

namespace {

enum Path : unsigned char { Copy, Vowel, CrossedD, Escape };

constexpr std::array<Path, 256> path_table() {
  std::array<Path, 256> path{};
  for (const char c : VOWELS) path[static_cast<unsigned char>(c)] = Vowel;
  path['d'] = path['D'] = CrossedD;
  path['\\'] = Escape;
  return path;
}

constexpr std::array<Path, 256> PATH = path_table();

void crossed_d(int d) {
  const int next = peek_byte();
  if (next != 'd' && next != 'D') return put_byte(d);
  take_byte();
  write_crossed_d(d);
}

void escape() {
  // The backslash may end the block at hand: its line, and the byte before it, are taken
  // before reading on.
  const unsigned char* const backslash = input.pos - 1;
  const int before = warnings_on && backslash > input.start ? backslash[-1] : -1;
  const unsigned long long line = warnings_on ? line_of(backslash) : 0;
  const int next = take_byte();
  if (next < 0) return;
  put_byte(next);
  if (warnings_on) check_escaped(before, next, line);
}

std::string* capture;

void append_capture(const char* data, std::size_t size) { capture->append(data, size); }

} // namespace

InputForm input_form = InputForm::Viqr;

void write_crossed_d(int d) {
  if (letter_form == LetterForm::GlyphName) return put_glyph_name(letter_of(d, '-', 0));
  letter_shift = NoShift;
  put_byte(d);
  place_mark(BAR_MARKS[d == 'd' ? 0 : 1]);
}

void scan_byte(int byte) {
  if (warnings_on) note_byte(input.pos - 1);
  letter_shift = NoShift;
  switch (PATH[static_cast<unsigned char>(byte)]) {
  case Vowel: vowel_path(byte); break;
  case CrossedD: crossed_d(byte); break;
  case Escape: escape(); break;
  case Copy: put_byte(byte); break;
  }
}

void scan_input() {
  if (input_form == InputForm::Utf8) return scan_utf8_input();
  // The steps are rendered for the letter form in force.
  static LetterForm prepared_for;
  static bool prepared = false;
  if (!prepared || prepared_for != letter_form) prepare_steps();
  prepared = true;
  prepared_for = letter_form;
  for (;;) {
    replay_steps();
    // Near the end of a block, where a turn's bytes may not all be at hand, the byte-by-byte
    // path takes a turn, reading on as it needs.
    const int byte = take_byte();
    if (byte < 0) break;
    scan_byte(byte);
  }
}

std::string render_bytes(std::string_view bytes, std::size_t block) {
  std::string text;
  capture = &text;
  start_output(append_capture);
  open_input_bytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), block);
  if (warnings_on) {
    start_warnings("-");
    input.before_refill = block_ends;
  }
  scan_input();
  drain_output();
  return text;
}

} // namespace diaset
