// The fast path against the byte-by-byte path. An input handed over one byte at a time never
// has a step's worth of bytes at hand, so it is rendered byte by byte throughout.
#include "driver/replay.hpp"
#include "driver/scan.hpp"
#include "render/glyph.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using diaset::render_bytes;

const std::string VOWEL_BYTES = "aeiouyAEIOUY";

// Every first and second byte, with a third byte from every class; and every third byte after a
// vowel and a modifier, the one place where the third byte matters. Three spaces after each
// triple end whatever it began.
std::string every_triple() {
  std::string text;
  const std::string thirds = std::string("'`?~.xad\\^+(\xff\0", 14);
  const auto add = [&](int a, int b, int c) {
    text += static_cast<char>(a);
    text += static_cast<char>(b);
    text += static_cast<char>(c);
    text += "   ";
  };
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b)
      for (const char c : thirds) add(a, b, static_cast<unsigned char>(c));
  for (const char vowel : VOWEL_BYTES)
    for (const char modifier : std::string("^+("))
      for (int c = 0; c < 256; ++c) add(vowel, modifier, c);
  return text;
}

TEST(Replay, WritesWhatTheByteByBytePathWritesForEveryTriple) {
  const std::string text = every_triple();
  // In both letter forms: glyph names take the short steps' copies.
  for (const auto form : {diaset::LetterForm::Drawn, diaset::LetterForm::GlyphName}) {
    diaset::letter_form = form;
    const std::string fast = render_bytes(text);
    const std::string slow = render_bytes(text, 1);
    diaset::letter_form = diaset::LetterForm::Drawn;
    ASSERT_EQ(fast.size(), slow.size());
    // Report the first difference, not a few megabytes.
    const auto [f, s] = std::mismatch(fast.begin(), fast.end(), slow.begin());
    EXPECT_TRUE(f == fast.end()) << "differs at output byte " << (f - fast.begin()) << ": "
                                 << std::string(f, f + std::min<long>(60, fast.end() - f));
  }
}

TEST(Replay, BlockBoundariesChangeNothing) {
  std::string text = read_file(std::string(DIASET_SOURCE_DIR) + "/examples/sample.viqr");
  // Clusters that straddle a boundary at every offset: a tone after a modifier, a doubled d, an
  // escape, and a mark with no vowel before it.
  for (int i = 0; i < 40; ++i) text += "Ngu+o+`i dde^'n \\\\ \\dd DD a^^ 'x u+o+~ ";
  const std::string whole = render_bytes(text);
  for (const std::size_t block :
       {1u, 2u, 3u, 4u, 5u, 7u, 48u, 49u, 50u, 51u, 64u, 100u, 1000u, 4096u})
    EXPECT_EQ(render_bytes(text, block), whole) << "blocks of " << block;
}

TEST(Replay, EveryStepFitsItsCopies) {
  render_bytes(""); // prepares the steps
  for (const diaset::Step& step : diaset::steps) {
    EXPECT_LE(step.size, diaset::MAX_STEP_SIZE);
    EXPECT_GE(step.advance, 1);
    EXPECT_LE(step.advance, 3);
  }
}

} // namespace
