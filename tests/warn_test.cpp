// Warnings for likely mistakes in VIQR: each on standard error with its file and line, and
// nothing else changed.
#include "run.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string SECOND_DOT = "; write \\. for a literal mark\n";

std::string warning(int line, const std::string& text) {
  return "diaset: in:" + std::to_string(line) + ": warning: " + text + "\n";
}

std::string escape_warning(int line, char c) {
  return warning(line, std::string("\"\\") + c + "\" is written \"" + c +
                           "\": the backslash protects nothing; write a troff escape with a "
                           "doubled backslash, \"\\\\" +
                           c + "\"");
}

TEST(Warnings, EachPitfallGivesOneWarningAndChangesNoByte) {
  struct Case {
    std::string input;
    std::string warnings;
  };
  const Case cases[] = {
      {"Ho^m nay ba'o.\n",
       warning(1, "a second tone mark in one word: \"ba'o.\"; write \\. for a literal mark")},
      {"x\nna`o?\n",
       warning(2, "a second tone mark in one word: \"na`o?\"; write \\? for a literal mark")},
      {"i.e. tra^`n\n",
       warning(1, "a second tone mark in one word: \"i.e.\"; write \\. for a literal mark")},
      {"\\fBx\\fP\n", escape_warning(1, 'f') + escape_warning(1, 'f')},
      {"a\n\\(em \\& .\\\"\n",
       escape_warning(2, '(') + escape_warning(2, '&') + escape_warning(2, '"')},
      {"x Vi\xE1\xBB\x87t Nam\n\xC4\x91i\n",
       warning(1, "this reads as UTF-8 Vietnamese, not VIQR; read UTF-8 input with diaset -u")},
      // The same, long enough for the fast path, after a slip on the line before.
      {"\n\nba'o. " + std::string(80, 'x') + "\n\xE1\xBB\x87 " + std::string(80, 'y') + "\n",
       warning(3, "a second tone mark in one word: \"ba'o.\"; write \\. for a literal mark") +
           warning(4, "this reads as UTF-8 Vietnamese, not VIQR; read UTF-8 input with diaset -u")},
      // What is written as meant gives none: escapes that protect, one tone to a syllable,
      // tones in syllables written together, and doubled backslashes.
      {"ba'o\\. Ta.i sao\\? a\\' a^\\' \\dd \\\\fB \\\\(em .\\\\\" x.\n", ""},
      {"DDIE^`UKHIE^?N TU+`KHO'A ma'y o+?o+~a la^`n(ma(.\n", ""},
      {"ca'ch vie^'t. Ngu+o+`i ta ddi.\n", ""},
  };
  const Scratch s;
  for (const Case& c : cases) {
    s.write("in", c.input);
    const Outcome warned = s.run("$DIASET in");
    const Outcome quiet = s.run("$DIASET -q in");
    EXPECT_EQ(warned.err, c.warnings) << c.input;
    EXPECT_EQ(quiet.err, "") << c.input;
    EXPECT_EQ(warned.out, quiet.out) << c.input;
    EXPECT_EQ(warned.status, 0) << c.input;
    // In UTF-8 no ASCII byte is a mark, nor the backslash the input's own.
    EXPECT_EQ(s.run("$DIASET -u in").err, "") << c.input;
  }
}

TEST(Warnings, TheExampleAndAFastPathTextGiveNone) {
  const Scratch s;
  std::string text = read_file(std::string(DIASET_SOURCE_DIR) + "/examples/sample.viqr");
  for (int i = 0; i < 200; ++i) text += "Mu`a thu Ha` No^.i, ddu+o+`ng pho^' \\\\fBvui\\\\fP.\n";
  s.write("in", text);
  const Outcome r = s.run("$DIASET in >/dev/null");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(Warnings, CountLinesAcrossReadBlocksAndFromOneInEachFile) {
  // Lines of plain text, long enough for several read blocks, with a pitfall at chosen lines:
  // in the fast path, and with its vowel the last byte of a block and its tone the first of
  // the next.
  const std::size_t block = 64 * 1024;
  std::string text;
  int line = 1;
  const auto add_line = [&](const std::string& l) {
    text += l + "\n";
    ++line;
  };
  while (text.size() < 5000) add_line("mot dong chu binh thuong, khong dau");
  const int first = line;
  add_line("o day ba'o. roi");
  while (text.size() < block - 40) add_line("dong nua");
  text += std::string(block - 5 - text.size(), 'x') + " ba'o";
  const int straddling = line;
  text += ". sau\n";
  ++line;
  while (text.size() < 3 * block) add_line("va dong nua");
  const int last = line;
  add_line("cuoi na`o?");
  const Scratch s;
  s.write("in", text);
  s.write("second", "\n\nba'o.\n");
  const Outcome r = s.run("$DIASET in second in >/dev/null");
  const std::string dot = "a second tone mark in one word: ";
  const auto at = [&](const std::string& file, int n, const std::string& word, char tone) {
    return "diaset: " + file + ":" + std::to_string(n) + ": warning: " + dot + "\"" + word +
           "\"; write \\" + tone + " for a literal mark\n";
  };
  const std::string in = at("in", first, "ba'o.", '.') + at("in", straddling, "ba'o.", '.') +
                         at("in", last, "na`o?", '?');
  EXPECT_EQ(r.err, in + at("second", 3, "ba'o.", '.') + in);
}

} // namespace
