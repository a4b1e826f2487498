// Rendering, byte for byte, through the same scan loop the binary runs.
#include "driver/scan.hpp"
#include "render/place.hpp"

#include <gtest/gtest.h>

#include <string>

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
    char text[diaset::MARK_TEXT_ROOM];
    EXPECT_EQ(std::string(text, diaset::format_mark(c.mark, c.shift, text)), c.text);
  }
}

} // namespace
