// The fast path against the byte-by-byte path. An input handed over one byte at a time never
// has a step's worth of bytes at hand, so it is rendered byte by byte throughout.
#include "cpu/cpu.hpp"
#include "driver/replay.hpp"
#include "driver/scan.hpp"
#include "render/glyph.hpp"
#include "run.hpp"
#include "warn/warn.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
  for (const diaset::Step& step : diaset::replay.steps) {
    EXPECT_LE(step.size, diaset::MAX_STEP_SIZE);
    EXPECT_GE(step.advance, 1);
    EXPECT_LE(step.advance, 3);
  }
}

// Renders with warnings on; the warnings are returned after the output.
std::string render_warned(const std::string& text, std::size_t block) {
  std::FILE* const warnings = std::tmpfile();
  EXPECT_NE(warnings, nullptr);
  diaset::warning_stream = warnings;
  diaset::warnings_on = true;
  std::string both = render_bytes(text, block) + "\n--- warnings:\n";
  diaset::warnings_on = false;
  diaset::warning_stream = stderr;
  std::rewind(warnings);
  for (int c; (c = std::fgetc(warnings)) != EOF;) both += static_cast<char>(c);
  std::fclose(warnings);
  return both;
}

TEST(Replay, EveryInstructionSetWritesAndWarnsAlike) {
  // Every triple holds every escape. Two tones in one run of vowels, each alone in a window of
  // the map and at a shifting place in its words, make the rest of the slips warned of.
  std::string text = every_triple();
  const std::string plain(5000, 'x');
  for (const char* tones : {"'.", "`?", ".'", "~'", "?."})
    for (const char* between : {"o", "o^", "uye^", "u+o+", "y", "a("})
      text += plain + std::string(text.size() % 7, ' ') + "b" + between + tones[0] + "i" +
              tones[1] + " x" + between + "i\n";
  struct Set {
    const char* name;
    bool wide, widest;
  };
  const bool had_wide = diaset::wide_vectors, had_widest = diaset::widest_vectors;
  const Set wider[] = {{"AVX2", true, false}, {"AVX-512", true, true}};
  for (const auto form : {diaset::LetterForm::Drawn, diaset::LetterForm::GlyphName}) {
    diaset::letter_form = form;
    diaset::wide_vectors = diaset::widest_vectors = false;
    const std::string sse2 = render_warned(text, SIZE_MAX);
    EXPECT_NE(sse2.find("a second tone mark in one word"), std::string::npos);
    EXPECT_NE(sse2.find("the backslash protects nothing"), std::string::npos);
    for (const Set& set : wider) {
      if ((set.wide && !had_wide) || (set.widest && !had_widest)) continue;
      diaset::wide_vectors = set.wide;
      diaset::widest_vectors = set.widest;
      const std::string other = render_warned(text, SIZE_MAX);
      const auto [o, n] = std::mismatch(other.begin(), other.end(), sse2.begin(), sse2.end());
      EXPECT_TRUE(o == other.end() && n == sse2.end())
          << set.name << " differs from SSE2 at byte " << (o - other.begin()) << ": "
          << std::string(o, o + std::min<long>(100, other.end() - o))
          << "\n---- SSE2: " << std::string(n, n + std::min<long>(100, sse2.end() - n));
    }
  }
  diaset::letter_form = diaset::LetterForm::Drawn;
  diaset::wide_vectors = had_wide;
  diaset::widest_vectors = had_widest;
}

TEST(Replay, FindsASecondToneWhereverTheMapsWindowsAndTheBlocksEnd) {
  // The tone of "o." past the end of a window of the map, or of the bytes the fast path takes
  // from a block, with the tone of "a'" before it in the same run.
  std::vector<std::size_t> places;
  for (std::size_t at = 4096 - 8; at <= 4096 + 8; ++at) places.push_back(at);
  for (std::size_t at = 65536 - 56; at <= 65536 - 40; ++at) places.push_back(at);
  for (const std::size_t at : places) {
    const std::string text = std::string(at - 4, 'x') + " ba'o. x\n" + std::string(300, 'y');
    const std::string both = render_warned(text, 65536);
    std::size_t found = 0;
    for (std::size_t p = both.find("second tone"); p != std::string::npos;
         p = both.find("second tone", p + 1))
      ++found;
    EXPECT_EQ(found, 1u) << "with the o at byte " << at;
  }
}

} // namespace
