// Letters as groff glyph names (-g): what is written for them, and what groff, nroff and mandoc
// make of it, fallback drawings included.
#include "driver/scan.hpp"
#include "letters/letters.hpp"
#include "render/glyph.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string SOURCE = DIASET_SOURCE_DIR;

// Renders with glyph names, and puts the default form back after.
std::string render_glyphs(std::string_view input, std::size_t block = SIZE_MAX) {
  diaset::letter_form = diaset::LetterForm::GlyphName;
  std::string out = diaset::render_bytes(input, block);
  diaset::letter_form = diaset::LetterForm::Drawn;
  return out;
}

TEST(GlyphNames, EachLetterIsOneGlyphNameAndAllElseIsAsWithoutThem) {
  struct Case {
    std::string input;
    std::string output;
  };
  const Case cases[] = {
      {"Vie^.t Nam", R"(Vi\[u1EC7]t Nam)"},
      {"ddu+o+`ng", R"(\[u0111]\[u01B0]\[u1EDD]ng)"},
      {"dd dD Dd DD ddd d", R"(\[u0111] \[u0111] \[u0110] \[u0110] \[u0111]d d)"},
      {"a' a` a? a~ a. a^ a( o+", R"(\[u00E1] \[u00E0] \[u1EA3] \[u00E3] \[u1EA1] \[u00E2])"
                                  R"( \[u0103] \[u01A1])"},
      {"A(. I? y~ U+'", R"(\[u1EB6] \[u1EC8] \[u1EF9] \[u1EE8])"},
      // One modifier, then one tone; what they leave is copied.
      {"a^^ a'^ a'' a^(' o+x", R"(\[u00E2]^ \[u00E1]^ \[u00E1]' \[u00E2](' \[u01A1]x)"},
      // A modifier that does not fit its vowel is copied, and the tone after it too.
      {"u^ e( i+' Y^'", "u^ e( i+' Y^'"},
      // Escapes and everything else as without glyph names.
      {R"(\a' a\' \dd \\ x\)", R"(a' a' dd \ x)"},
      {"'`?~.^+( \xff\n.TL", "'`?~.^+( \xff\n.TL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(render_glyphs(c.input), c.output) << c.input;
    // The fast path and the byte-by-byte one agree.
    EXPECT_EQ(render_glyphs(c.input, 1), c.output) << c.input;
  }
  // The default form is untouched by having rendered glyph names.
  EXPECT_EQ(diaset::render_bytes("a'"), R"(a\h'-0.50m'\z\'\h'0.50m')");
}

TEST(GlyphNames, TheFastPathAgreesOverTheExampleAtEveryBlockSize) {
  std::string text = read_file(SOURCE + "/examples/sample.viqr");
  for (int i = 0; i < 30; ++i) text += "Ngu+o+`i dde^'n \\\\ \\dd DD a^^ 'x u+o+~ ";
  const std::string whole = render_glyphs(text, 1);
  for (const std::size_t block :
       {std::size_t{2}, std::size_t{3}, std::size_t{49}, std::size_t{4096}, SIZE_MAX})
    EXPECT_EQ(render_glyphs(text, block), whole) << "blocks of " << block;
}

// The runs of letters in a text that hold a byte past ASCII: the Vietnamese words, in order.
std::vector<std::string> vietnamese_words(const std::string& text) {
  std::vector<std::string> words;
  const std::regex word("[A-Za-z\x80-\xff]+");
  for (std::sregex_iterator m(text.begin(), text.end(), word), end; m != end; ++m) {
    const std::string w = m->str();
    for (const char c : w)
      if (static_cast<unsigned char>(c) >= 0x80) {
        words.push_back(w);
        break;
      }
  }
  return words;
}

// The text of a troff source, with the words of its requests but not their names, less the
// title line, whose words go in headers and footers, and less its font escapes.
std::string text_of(const std::string& source) {
  std::istringstream lines(source);
  std::string text;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(".TH")) continue;
    if (line.starts_with("."))
      line.erase(0, line.find(' ') == std::string::npos ? line.size() : line.find(' '));
    text += line + "\n";
  }
  return std::regex_replace(text, std::regex(R"(\\f[A-Z]|\\\(em)"), " ");
}

// Terminal devices have every letter: through each formatter the VIQR source reads as its UTF-8
// twin, every letter in its place.
void expect_reads_as(const std::string& viqr, const std::string& utf8,
                     const std::vector<std::string>& formatters) {
  const std::vector<std::string> expected = vietnamese_words(text_of(read_file(utf8)));
  ASSERT_GT(expected.size(), 20u);
  const Scratch s;
  for (const std::string& formatter : formatters) {
    const Outcome r = s.run("$DIASET -g '" + viqr + "' | " + formatter);
    EXPECT_EQ(r.status, 0) << formatter;
    EXPECT_EQ(r.err, "") << formatter;
    // In order, among the headers and footers the formatter adds.
    const std::vector<std::string> got = vietnamese_words(r.out);
    std::size_t found = 0;
    for (std::size_t i = 0; i < got.size() && found < expected.size(); ++i)
      if (got[i] == expected[found]) ++found;
    EXPECT_EQ(found, expected.size())
        << formatter << ": \"" << expected[std::min(found, expected.size() - 1)]
        << "\" is not where it belongs in\n"
        << r.out;
  }
}

TEST(GlyphNames, TheExampleReadsAsUtf8OnATerminal) {
  // Without hyphenation, so that every word stays whole.
  expect_reads_as(SOURCE + "/examples/sample.viqr", SOURCE + "/examples/sample.utf8",
                  {"nroff -ms -rHY=0 -ww -Tutf8 | sed 's/\x1b\\[[0-9;]*m//g'",
                   "groff -ms -rHY=0 -ww -Tutf8 -P-cbou | less -FRX"});
}

TEST(GlyphNames, AManPageReadsAsUtf8InGroffAndMandoc) {
  expect_reads_as(SOURCE + "/tests/fixtures/viet.1.viqr", SOURCE + "/tests/fixtures/viet.1.utf8",
                  {"groff -man -rHY=0 -ww -Tutf8 -P-cbou", "mandoc -Tutf8 | col -b"});
}

TEST(GlyphNames, TheExamplePrintsWithoutAWarning) {
  const Scratch s;
  const std::string example = "'" + SOURCE + "/examples/sample.viqr'";
  for (const std::string device : {"pdf", "ps"}) {
    const Outcome r = s.run("$DIASET -g " + example + " | groff -ms -ww -T" + device + " | wc -c");
    EXPECT_EQ(r.err, "") << device;
    EXPECT_EQ(r.status, 0) << device;
    EXPECT_GT(std::stol(r.out), 1000) << device;
  }
}

// troff's report, one line per ".tm" in the script, after the fallback definitions.
std::vector<std::string> troff_report(const std::string& script) {
  const Scratch s;
  s.write("script.tr", script);
  const Outcome r = s.run("($DIASET --macros; cat script.tr) | troff -ww -Tps -z");
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines;
  std::istringstream out(r.err);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  return lines;
}

TEST(Fallbacks, AreExactlyAsWideAsTheirBaseLetter) {
  // The PostScript fonts lack most of the letters, so most of these are fallbacks.
  std::string script;
  for (const char* font : {"TR", "TI", "HB", "CR", "NBI"}) {
    script += ".ft " + std::string(font) + "\n";
    for (std::size_t i = 0; i < diaset::LETTER_COUNT; ++i) {
      const diaset::GlyphName& name = diaset::GLYPH_NAMES[i];
      script += ".nr a \\w\x01" + std::string(name.data(), name.size()) + "\x01\n";
      script += ".nr b \\w\x01" + std::string(1, diaset::LETTERS[i].base) + "\x01\n";
      script +=
          ".tm " + std::string(font) + " " + std::string(name.data(), name.size()) + " \\na \\nb\n";
    }
  }
  const std::vector<std::string> report = troff_report(script);
  ASSERT_EQ(report.size(), 5 * diaset::LETTER_COUNT);
  const std::regex line(R"((\S+) (\S+) (-?\d+) (-?\d+))");
  for (const std::string& r : report) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r, m, line)) << r;
    EXPECT_EQ(m[3], m[4]) << "in " << m[1] << ", " << m[2] << " is not as wide as its letter";
  }
}

TEST(Fallbacks, LeaveThePreviousFontAlone) {
  // After an italic letter with a tilde, drawn as a fallback, \fP goes back to roman.
  const std::vector<std::string> report =
      troff_report(".ft R\n\\fIchu\\[u1EEF]\\fP after\n.tm \\n[.fn]\n");
  EXPECT_EQ(report, (std::vector<std::string>{"TR"}));
}

TEST(Fallbacks, DrawAlikeWhereverTheyStand) {
  // The same letters on three lines, in an italic that lacks them: every line moves alike.
  const Scratch s;
  std::string line = "\\[u1EA1]\\[u1EBD]\\[u1EC9]\\[u1EE5]\\[u1EA0]\\[u1EAD]\\[u1EAF]\\[u1EDB]\n";
  s.write("lines.tr", ".ft PBI\n.nf\n" + line + line + line);
  const Outcome r = s.run("($DIASET --macros; cat lines.tr) | groff -ww -Tps -Z");
  EXPECT_EQ(r.err, "");
  std::vector<std::string> motions(1);
  std::istringstream out(r.out);
  for (std::string command; std::getline(out, command);) {
    if (command[0] == 'h' || command[0] == 'v') motions.back() += command + " ";
    if (command[0] == 'n') motions.emplace_back();
  }
  ASSERT_GE(motions.size(), 3u);
  EXPECT_NE(motions[0], "");
  EXPECT_EQ(motions[1], motions[0]);
  EXPECT_EQ(motions[2], motions[0]);
}

TEST(Fallbacks, DrawAFontsOwnLetterOnlyInTheFontsThatSetItsAccentOffCentre) {
  // Times Italic's own y with acute has its accent well right of the y; Times Roman's does not.
  const Scratch s;
  s.write("y.tr", ".ft TI\n\\[u00FD]\n.ft TR\n\\[u00FD]\n");
  const Outcome print = s.run("($DIASET --macros; cat y.tr) | groff -ww -Tps -Z | grep '^[Ct]'");
  EXPECT_EQ(print.err, "");
  EXPECT_EQ(print.out, "ty\nCaa\nC'y\n");
  const Outcome terminal = s.run("($DIASET --macros; cat y.tr) | groff -ww -Tutf8 | grep .");
  EXPECT_EQ(terminal.err, "");
  EXPECT_EQ(terminal.out, "\u00FD \u00FD\n");
}

TEST(MacroFile, SetsAUtf8DocumentWithTheSameDrawings) {
  const Scratch s;
  const std::string utf8 = "'" + SOURCE + "/examples/sample.utf8'";
  const std::string viqr = "'" + SOURCE + "/examples/sample.viqr'";
  const Outcome direct = s.run("groff -Kutf8 -mdiaset -M '" DIASET_TMAC_DIR "' -ms -ww -Tps -Z <" +
                               utf8 + " | grep -v '^x F' >direct");
  EXPECT_EQ(direct.err, "");
  EXPECT_EQ(direct.status, 0);
  const Outcome filtered =
      s.run("$DIASET -g " + viqr + " | groff -ms -ww -Tps -Z | grep -v '^x F' >filtered");
  EXPECT_EQ(filtered.status, 0);
  EXPECT_GT(read_file(s.path("direct")).size(), 5000u);
  EXPECT_TRUE(read_file(s.path("direct")) == read_file(s.path("filtered")))
      << "groff -mdiaset sets the example otherwise than diaset -g";
}

} // namespace
