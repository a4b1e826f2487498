// Rendering, byte for byte, through the same scan loop the binary runs.
#include "driver/scan.hpp"
#include "render/modifier.hpp"
#include "render/place.hpp"
#include "render/vowel.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using diaset::render_bytes;

struct Case {
  std::string input;
  std::string output;
};

void expect_renders(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(render_bytes(c.input), c.output) << "input: " << c.input;
}

TEST(ScanLoop, CopiesEscapesAndCrossesD) {
  const std::string dd = R"(d\h'-0.30m'\v'-0.35m'\z\(hy\v'0.35m'\h'0.30m')";
  const std::string DD = R"(D\h'-0.70m'\v'-0.15m'\z\(hy\v'0.15m'\h'0.70m')";
  expect_renders({
      {"", ""},
      {"plain text\n.TL\n", "plain text\n.TL\n"},
      {"dd", dd},
      {"DD", DD},
      {"Dd", DD},
      {"dD", dd},
      {"ddd", dd + "d"},
      {"d", "d"},
      {"dx", "dx"},
      {R"(\a')", "a'"},
      {R"(a\')", "a'"},
      {R"(\\)", R"(\)"},
      {"x\\", "x"},
      {R"(\dd)", "dd"},
      {R"(\\dd)", "\\" + dd},
      {"'`?~.^+(", "'`?~.^+("},
  });
}

TEST(ScanLoop, EveryOtherByteValuePassesThroughAloneAndEscaped) {
  const std::string special = "aeiouyAEIOUYdD\\";
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(render_bytes("\\" + byte), byte) << "byte " << b;
    if (special.find(byte) == std::string::npos) {
      EXPECT_EQ(render_bytes(byte), byte) << "byte " << b;
    }
  }
}

TEST(VowelPath, DrawsEachToneByCaseAndClass) {
  expect_renders({
      {"a'", R"(a\h'-0.50m'\z\'\h'0.50m')"},
      {"a`", R"(a\h'-0.50m'\z\`\h'0.50m')"},
      {"a?", R"(a\h'-0.40m'\v'-0.10m'\z'\v'0.10m'\h'0.40m')"},
      {"a~", R"(a\h'-0.50m'\z\fB~\fP\h'0.50m')"},
      {"a.", R"(a\h'-0.40m'\v'0.20m'\z.\v'-0.20m'\h'0.40m')"},
      {"i'", R"(i\h'-0.30m'\v'-0.15m'\z\'\v'0.15m'\h'0.30m')"},
      {"i.", R"(i\h'-0.30m'\v'0.20m'\z.\v'-0.20m'\h'0.30m')"},
      {"I'", R"(I\h'-0.30m'\v'-0.35m'\z\'\v'0.35m'\h'0.30m')"},
      {"I~", R"(I\h'-0.40m'\v'-0.26m'\z\fB~\fP\v'0.26m'\h'0.40m')"},
      {"A'", R"(A\h'-0.60m'\v'-0.20m'\z\'\v'0.20m'\h'0.60m')"},
      {"A?", R"(A\h'-0.50m'\v'-0.30m'\z'\v'0.30m'\h'0.50m')"},
      {"A.", R"(A\h'-0.50m'\v'0.20m'\z.\v'-0.20m'\h'0.50m')"},
      {"I.", R"(I\h'-0.30m'\v'0.20m'\z.\v'-0.20m'\h'0.30m')"},
      {"y'", R"(y\h'-0.50m'\z\'\h'0.50m')"},
      {"Y`", R"(Y\h'-0.60m'\v'-0.20m'\z\`\v'0.20m'\h'0.60m')"},
  });
}

TEST(VowelPath, TakesOnlyTheMarkRightAfterTheVowel) {
  expect_renders({
      {"a''", R"(a\h'-0.50m'\z\'\h'0.50m'')"},
      {"a x", "a x"},
      {"ae'", R"(ae\h'-0.50m'\z\'\h'0.50m')"},
      {"a\n'", "a\n'"},
      {"a", "a"},
      {std::string("a\0'", 3), std::string("a\0'", 3)},
      {"u^", "u^"},
      {"e(", "e("},
      {"a+", "a+"},
      {"I+'", "I+'"},
  });
}

TEST(PlaceMark, AddsTheLetterShiftAndReversesEveryMotion) {
  struct MarkCase {
    diaset::Placement mark;
    diaset::LetterShift shift;
    std::string text;
  };
  const MarkCase cases[] = {
      {{'\'', 0.5, 0}, {0, 0}, R"(\h'-0.50m'\z\'\h'0.50m')"},
      {{'.', 0.4, -0.2}, {0, 0}, R"(\h'-0.40m'\v'0.20m'\z.\v'-0.20m'\h'0.40m')"},
      {{'^', 0.55, 0}, {0.1f, 0.2f}, R"(\h'-0.65m'\v'-0.20m'\z^\v'0.20m'\h'0.65m')"},
      {{'?', 0.2, -0.05}, {0, 0.2f}, R"(\h'-0.20m'\v'-0.15m'\z'\v'0.15m'\h'0.20m')"},
      {{'~', 0.5, 0.15}, {0, 0}, R"(\h'-0.50m'\v'-0.15m'\z\fB~\fP\v'0.15m'\h'0.50m')"},
      {{'-', 0.7, 0.15}, {0, 0}, R"(\h'-0.70m'\v'-0.15m'\z\(hy\v'0.15m'\h'0.70m')"},
      {{'`', 0, 0}, {0, 0}, R"(\z\`)"},
  };
  for (const MarkCase& c : cases) {
    const diaset::MarkText text = diaset::mark_text(c.mark, c.shift);
    EXPECT_EQ(std::string(text.bytes, text.size), c.text);
  }
}

// The mark texts made at compile time against printf itself, for every mark in the tables under
// every shift.
std::string printf_mark(const diaset::Placement& mark, diaset::LetterShift shift) {
  const float h = shift.left + static_cast<float>(mark.left);
  const float v = shift.raise + static_cast<float>(mark.raise);
  char motion[32];
  std::string text;
  const auto put = [&](const char* format, float length) {
    std::snprintf(motion, sizeof motion, format, static_cast<double>(length));
    text += motion;
  };
  if (h != 0) put("\\h'%.2fm'", -h);
  if (v != 0) put("\\v'%.2fm'", -v);
  for (const diaset::Glyph& g : diaset::mark_glyph)
    if (g.glyph == mark.glyph) text += g.text;
  if (v != 0) put("\\v'%.2fm'", v);
  if (h != 0) put("\\h'%.2fm'", h);
  return text;
}

void expect_printf_texts(const diaset::Placement& mark, const diaset::MarkTexts& texts) {
  for (int s = 0; s < diaset::SHIFT_COUNT; ++s) {
    const diaset::MarkText& text = texts[static_cast<std::size_t>(s)];
    EXPECT_EQ(std::string(text.bytes, text.size), printf_mark(mark, diaset::LETTER_SHIFTS[s]))
        << "glyph " << mark.glyph << " at " << mark.left << ", " << mark.raise << ", shift " << s;
  }
}

TEST(PlaceMark, EveryTextInTheTablesIsWhatPrintfWrites) {
  for (std::size_t t = 0; t < diaset::TONE_COUNT; ++t)
    for (std::size_t c = 0; c < diaset::CLASS_COUNT; ++c)
      expect_printf_texts(diaset::TONE_PLACEMENT[t][c], diaset::TONE_MARKS[t][c]);
  for (const diaset::Modification& m : diaset::MODIFICATIONS)
    for (unsigned char i = 0; i < m.mark_count; ++i) expect_printf_texts(m.marks[i], m.texts[i]);
  for (std::size_t b = 0; b < 2; ++b) expect_printf_texts(diaset::BARS[b], diaset::BAR_MARKS[b]);
}

TEST(PlaceMark, FormatsLengthsAsPrintfDoes) {
  // Beyond the tables: lengths up to a few em, ties of the decimal form included.
  for (int i = -400000; i <= 400000; i += 7) {
    const float length = static_cast<float>(i) / 100000.0f;
    diaset::MarkText text{};
    diaset::append_hundredths(text, length);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(length));
    ASSERT_EQ(std::string(text.bytes, text.size), expected) << length;
  }
  for (const float tie : {0.125f, 0.375f, -0.625f, 2.5f / 100, 0.005f}) {
    diaset::MarkText text{};
    diaset::append_hundredths(text, tie);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(tie));
    EXPECT_EQ(std::string(text.bytes, text.size), expected) << tie;
  }
}

} // namespace

namespace {

TEST(Modifiers, DrawTheModifierThenStackTheTone) {
  expect_renders({
      {"a^", R"(\o'a^')"},
      {"a^'", R"(\o'a^'\h'-0.40m'\v'-0.15m'\z\'\v'0.15m'\h'0.40m')"},
      {"e^.", R"(\o'e^'\h'-0.40m'\v'0.20m'\z.\v'-0.20m'\h'0.40m')"},
      {"A^", R"(A\h'-0.65m'\v'-0.20m'\z^\v'0.20m'\h'0.65m')"},
      {"A^'",
       R"(A\h'-0.65m'\v'-0.20m'\z^\v'0.20m'\h'0.65m'\h'-0.50m'\v'-0.35m'\z\'\v'0.35m'\h'0.50m')"},
      {"o+", R"(o\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m')"},
      {"O+", R"(O\h'-0.30m'\v'-0.15m'\z'\v'0.15m'\h'0.30m')"},
      {"o+?",
       R"(o\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m'\h'-0.45m'\v'-0.15m'\z'\v'0.15m'\h'0.45m')"},
      {"O+'",
       R"(O\h'-0.30m'\v'-0.15m'\z'\v'0.15m'\h'0.30m'\h'-0.70m'\v'-0.30m'\z\'\v'0.30m'\h'0.70m')"},
      {"a(",
       R"(a\h'-0.50m'\v'0.10m'\z\`\v'-0.10m'\h'0.50m'\h'-0.48m'\v'0.10m'\z\'\v'-0.10m'\h'0.48m')"},
      {"A(",
       R"(A\h'-0.60m'\v'-0.10m'\z\`\v'0.10m'\h'0.60m'\h'-0.58m'\v'-0.10m'\z\'\v'0.10m'\h'0.58m')"},
      {"A(.", R"(A\h'-0.60m'\v'-0.10m'\z\`\v'0.10m'\h'0.60m'\h'-0.58m'\v'-0.10m'\z\'\v'0.10m')"
              R"(\h'0.58m'\h'-0.50m'\v'0.20m'\z.\v'-0.20m'\h'0.50m')"},
      {"u+~", R"(u\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m'\h'-0.55m'\v'-0.15m'\z\fB~\fP)"
              R"(\v'0.15m'\h'0.55m')"},
      {"o^`", R"(\o'o^'\h'-0.60m'\v'-0.15m'\z\`\v'0.15m'\h'0.60m')"},
  });
}

TEST(Modifiers, TakeOneModifierThenOneTone) {
  expect_renders({
      {"a^^", R"(\o'a^'^)"},
      {"a^('", R"(\o'a^'(')"},
      {"a'^", R"(a\h'-0.50m'\z\'\h'0.50m'^)"},
      {"a^''", R"(\o'a^'\h'-0.40m'\v'-0.15m'\z\'\v'0.15m'\h'0.40m'')"},
      {"o+x", R"(o\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m'x)"},
  });
}

TEST(Modifiers, LeaveAPairThatDoesNotCombineAsTyped) {
  for (const char* pair :
       {"i^", "u^", "y^", "a+", "e+", "i+", "y+", "e(", "i(", "o(", "u(", "y(",
        "I^", "U^", "Y^", "A+", "E+", "I+", "Y+", "E(", "I(", "O(", "U(", "Y("}) {
    EXPECT_EQ(render_bytes(pair), pair);
    // The tone after it is then an ordinary byte too.
    EXPECT_EQ(render_bytes(std::string(pair) + "'"), std::string(pair) + "'");
  }
}

TEST(Modifiers, RenderWholeWords) {
  expect_renders({
      {"Vie^.t", R"(Vi\o'e^'\h'-0.40m'\v'0.20m'\z.\v'-0.20m'\h'0.40m't)"},
      {"ddu+o+`ng",
       R"(d\h'-0.30m'\v'-0.35m'\z\(hy\v'0.35m'\h'0.30m'u\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m')"
       R"(o\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m'\h'-0.55m'\v'-0.10m'\z\`\v'0.10m'\h'0.55m'ng)"},
  });
}

// Every cluster the input convention can form: each vowel alone, with a tone, with a modifier,
// and with a modifier and a tone.
std::vector<std::string> every_cluster() {
  std::vector<std::string> clusters = {"dd", "dD", "Dd", "DD"};
  for (const char vowel : std::string("aeiouyAEIOUY"))
    for (const std::string modifier : {"", "^", "+", "("})
      for (const std::string tone : {"", "'", "`", "?", "~", "."})
        clusters.push_back(vowel + modifier + tone);
  return clusters;
}

TEST(Modifiers, LowercaseCircumflexVowelsAppearOnlyInTheOverstrike) {
  for (const std::string& cluster : every_cluster()) {
    if (cluster.size() < 2 || cluster[1] != '^' ||
        std::string("aeo").find(cluster[0]) == std::string::npos)
      continue;
    const std::string out = render_bytes(cluster);
    EXPECT_EQ(out.find(std::string("\\o'") + cluster[0] + "^'"), 0u) << cluster;
    EXPECT_EQ(out.find(cluster[0], 4), std::string::npos) << cluster;
  }
}

TEST(Modifiers, EveryMotionIsOneOfTheKnownDistances) {
  const std::set<std::string> known = {"0.06", "0.10", "0.15", "0.20", "0.25", "0.26",
                                       "0.30", "0.35", "0.40", "0.45", "0.48", "0.50",
                                       "0.55", "0.58", "0.60", "0.65", "0.70"};
  std::set<std::string> seen;
  const std::regex motion(R"(\\[hv]'-?([0-9]\.[0-9][0-9])m')");
  for (const std::string& cluster : every_cluster()) {
    const std::string out = render_bytes(cluster);
    for (std::sregex_iterator m(out.begin(), out.end(), motion), end; m != end; ++m)
      seen.insert((*m)[1]);
  }
  EXPECT_EQ(seen, known);
}

} // namespace

namespace {

TEST(Golden, BundledExampleRendersAsRecorded) {
  const std::string source = DIASET_SOURCE_DIR;
  EXPECT_EQ(render_bytes(read_file(source + "/examples/sample.viqr")),
            read_file(source + "/tests/golden/sample.tr"));
}

} // namespace
