#include "driver/scan.hpp"

#include "driver/input.hpp"
#include "driver/output.hpp"
#include "render/place.hpp"
#include "render/vowel.hpp"

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

// The bar through a doubled d, placed by the case of the first d.
constexpr Placement BAR_LOWER = {'-', 0.3, 0.35};
constexpr Placement BAR_UPPER = {'-', 0.7, 0.15};

void crossed_d(int d) {
  put_byte(d);
  const int next = peek_byte();
  if (next != 'd' && next != 'D') return;
  take_byte();
  place_mark(d == 'd' ? BAR_LOWER : BAR_UPPER);
}

void escape() {
  const int next = take_byte();
  if (next >= 0) put_byte(next);
}

std::string* capture;

void append_capture(const char* data, std::size_t size) { capture->append(data, size); }

} // namespace

void scan_input() {
  for (int byte; (byte = take_byte()) >= 0;) {
    letter_shift = NoShift;
    switch (PATH[static_cast<unsigned char>(byte)]) {
    case Vowel: vowel_path(byte); break;
    case CrossedD: crossed_d(byte); break;
    case Escape: escape(); break;
    case Copy: put_byte(byte); break;
    }
  }
}

std::string render_bytes(std::string_view bytes) {
  std::string text;
  capture = &text;
  start_output(append_capture);
  open_input_bytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  scan_input();
  drain_output();
  return text;
}

} // namespace diaset
