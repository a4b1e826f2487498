// libFuzzer target over the renderer, in both letter forms and both input forms. Beyond not
// crashing, every input must render the same however it is split into blocks (the fast path against
// the byte-by-byte one); and, without a backslash, which could make plain text look like the
// filter's own escapes, taking the filter's motions, glyphs and overstrikes out of the output, or
// putting each glyph name's base letter in its place, must leave the input's bytes in order, less
// the marks and d's it consumed, with every motion out followed by its exact reverse. Read as
// UTF-8, the input's bytes all come through in order, less our combining marks, with each letter
// as its base. With warnings on, every output byte is as without them.
#include "cpu/cpu.hpp"
#include "driver/scan.hpp"
#include "letters/letters.hpp"
#include "render/glyph.hpp"
#include "render/place.hpp"
#include "utf8/utf8.hpp"
#include "warn/warn.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

bool is_consumable(char c) {
  return std::string_view("'`?~.^+(dD").find(c) != std::string_view::npos;
}

std::string without_consumables(std::string_view text) {
  std::string kept;
  for (const char c : text)
    if (!is_consumable(c)) kept += c;
  return kept;
}

// Takes the filter's own escapes out of its output, checking that motions balance, and returns
// the input bytes that were written.
std::string strip_marks(std::string_view out) {
  std::string text;
  std::vector<std::string> open; // motions out of the current mark, innermost last
  bool after_glyph = false;
  std::size_t i = 0;
  while (i < out.size()) {
    if (out[i] != '\\') {
      if (!open.empty()) fail("a written byte inside a mark");
      text += out[i++];
      continue;
    }
    const std::string_view rest = out.substr(i);
    if (rest.size() > 3 && (rest[1] == 'h' || rest[1] == 'v') && rest[2] == '\'') {
      const std::size_t end = rest.find("m'", 3);
      if (end == std::string_view::npos) fail("an unterminated motion");
      std::string motion(rest.substr(0, end + 2));
      i += end + 2;
      if (after_glyph && !open.empty()) {
        // On the way back: the reverse of the innermost motion out.
        std::string expected = open.back();
        const std::size_t number = 3;
        if (expected[number] == '-')
          expected.erase(number, 1);
        else
          expected.insert(number, 1, '-');
        if (motion != expected) fail("a motion back that is not the reverse of the one out");
        open.pop_back();
        continue;
      }
      after_glyph = false;
      open.push_back(motion);
      continue;
    }
    if (rest.size() > 1 && rest[1] == 'z') {
      bool known = false;
      for (const diaset::Glyph& g : diaset::mark_glyph)
        if (rest.substr(0, g.text.size()) == g.text) {
          i += g.text.size();
          known = true;
          break;
        }
      if (!known) fail("an unknown zero-width glyph");
      if (after_glyph && !open.empty()) fail("a glyph before the last mark's motions are back");
      after_glyph = true;
      continue;
    }
    if (rest.size() >= 6 && rest.substr(0, 3) == "\\o'" && rest.substr(4, 2) == "^'") {
      if (!open.empty()) fail("an overstrike inside a mark");
      text += rest[3];
      i += 6;
      continue;
    }
    fail("a backslash the filter did not write");
  }
  if (!open.empty()) fail("motions out with no way back");
  return text;
}

// Puts each letter's base back for its glyph name.
std::string strip_glyph_names(std::string_view out) {
  std::string text;
  for (std::size_t i = 0; i < out.size();) {
    if (out.substr(i, 3) != "\\[u") {
      text += out[i++];
      continue;
    }
    std::size_t letter = 0;
    while (letter < diaset::LETTER_COUNT &&
           out.substr(i, sizeof(diaset::GlyphName)) !=
               std::string_view(diaset::GLYPH_NAMES[letter].data(), sizeof(diaset::GlyphName)))
      ++letter;
    if (letter == diaset::LETTER_COUNT) fail("a glyph name that is no letter's");
    text += diaset::LETTERS[letter].base;
    i += sizeof(diaset::GlyphName);
  }
  return text;
}

// UTF-8 text with each letter of the table put as its base, and each combining mark of ours
// dropped: what -u must keep, in order, whatever it does to the letters.
std::string skeleton(std::string_view text) {
  std::string kept;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto at = [&](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    if (diaset::combining_mark(byte, at(1)) != 0) {
      i += 2;
      continue;
    }
    int letter = -1;
    std::size_t length = 1;
    if (byte >= 0xC3 && byte <= 0xC6 && (at(1) & 0xC0) == 0x80) {
      letter = diaset::letter_of_code(static_cast<char32_t>((byte & 0x1F) << 6 | (at(1) & 0x3F)));
      length = 2;
    } else if (byte == 0xE1 && (at(1) & 0xC0) == 0x80 && (at(2) & 0xC0) == 0x80) {
      letter = diaset::letter_of_code(
          static_cast<char32_t>(0x1000 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F)));
      length = 3;
    }
    if (letter < 0) {
      kept += text[i++];
      continue;
    }
    kept += diaset::LETTERS[static_cast<std::size_t>(letter)].base;
    i += length;
  }
  return kept;
}

// Renders in one letter form, checking what holds in every form.
std::string render_checked(std::string_view input, diaset::LetterForm form) {
  diaset::letter_form = form;
  const std::string out = diaset::render_bytes(input);
  if (diaset::render_bytes(input) != out) fail("rendering twice differs");
  // The SSE2 and AVX2 paths, where the processor would take a wider one.
  const bool wide = diaset::wide_vectors, widest = diaset::widest_vectors;
  diaset::widest_vectors = false;
  if (diaset::render_bytes(input) != out) fail("the AVX2 and AVX-512 paths differ");
  diaset::wide_vectors = false;
  if (diaset::render_bytes(input) != out) fail("the SSE2 and wider paths differ");
  diaset::wide_vectors = wide;
  diaset::widest_vectors = widest;
  for (const std::size_t block : {std::size_t{1}, std::size_t{3}, std::size_t{64}})
    if (diaset::render_bytes(input, block) != out) fail("the output depends on the blocks");
  return out;
}

} // namespace

// The warnings go nowhere: only what they do to the output matters here.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  diaset::warning_stream = std::fopen("/dev/null", "w");
  if (diaset::warning_stream == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The same bytes as UTF-8.
  diaset::input_form = diaset::InputForm::Utf8;
  const std::string utf8_drawn = render_checked(input, diaset::LetterForm::Drawn);
  const std::string utf8_named = render_checked(input, diaset::LetterForm::GlyphName);
  diaset::input_form = diaset::InputForm::Viqr;
  if (input.find('\\') == std::string_view::npos) {
    const std::string expected = skeleton(input);
    if (skeleton(strip_marks(utf8_drawn)) != expected)
      fail("UTF-8 input does not come through in order");
    if (skeleton(strip_glyph_names(utf8_named)) != expected)
      fail("UTF-8 input does not come through in order between glyph names");
  }
  const std::string drawn = render_checked(input, diaset::LetterForm::Drawn);
  // Warnings change no output byte, whatever the blocks.
  diaset::warnings_on = true;
  for (const std::size_t block : {std::size_t{1}, std::size_t{3}, SIZE_MAX})
    if (diaset::render_bytes(input, block) != drawn) fail("warnings change the output");
  diaset::warnings_on = false;
  const std::string named = render_checked(input, diaset::LetterForm::GlyphName);
  if (input.find('\\') == std::string_view::npos) {
    if (without_consumables(strip_marks(drawn)) != without_consumables(input))
      fail("the input's bytes do not come through in order");
    if (without_consumables(strip_glyph_names(named)) != without_consumables(input))
      fail("the input's bytes do not come through in order between glyph names");
  }
  return 0;
}
