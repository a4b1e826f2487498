// What troff itself makes of the output: marks move nothing, and the bundled example and the
// manual format without a warning.
#include "driver/scan.hpp"
#include "render/place.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string SOURCE = DIASET_SOURCE_DIR;

// The output with every mark taken away: each run of motions and zero-width glyphs becomes
// "\&", which stops troff kerning the letter with the next just as the motions do. An
// overstrike stays: it is the letter.
std::string unmarked(const std::string& out) {
  std::string bare;
  std::size_t i = 0;
  const auto mark_at = [&](std::size_t at) -> std::size_t {
    const std::string_view rest = std::string_view(out).substr(at);
    if (rest.size() > 3 && rest[0] == '\\' && (rest[1] == 'h' || rest[1] == 'v') && rest[2] == '\'')
      return rest.find("m'", 3) + 2;
    for (const diaset::Glyph& g : diaset::mark_glyph)
      if (rest.substr(0, g.text.size()) == g.text) return g.text.size();
    return 0;
  };
  while (i < out.size()) {
    std::size_t length = mark_at(i);
    if (length == 0) {
      bare += out[i++];
      continue;
    }
    while (length != 0) {
      i += length;
      length = mark_at(i);
    }
    bare += "\\&";
  }
  return bare;
}

// troff's width, in basic units, of each text, from one run of troff -z.
std::vector<long> troff_widths(const std::vector<std::string>& texts) {
  std::string script;
  for (const std::string& text : texts) {
    EXPECT_EQ(text.find('\x01'), std::string::npos) << "the delimiter is in " << text;
    script += ".nr w \\w\x01" + text + "\x01\n.tm \\nw\n";
  }
  const Scratch s;
  s.write("widths.tr", script);
  const Outcome r = s.run("troff -ww -z widths.tr");
  EXPECT_EQ(r.status, 0);
  std::vector<long> widths;
  std::istringstream lines(r.err);
  for (std::string line; std::getline(lines, line);) {
    // A warning would be a line that is not a number.
    EXPECT_EQ(line.find_first_not_of("-0123456789"), std::string::npos) << line;
    widths.push_back(std::atol(line.c_str()));
  }
  return widths;
}

void expect_marks_move_nothing(const std::vector<std::string>& lines) {
  std::vector<std::string> texts;
  for (const std::string& line : lines) {
    const std::string out = diaset::render_bytes(line);
    texts.push_back(out);
    texts.push_back(unmarked(out));
  }
  const std::vector<long> widths = troff_widths(texts);
  ASSERT_EQ(widths.size(), texts.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(widths[2 * i], widths[2 * i + 1])
        << lines[i] << "\nmarked: " << texts[2 * i] << "\nbare:   " << texts[2 * i + 1];
}

TEST(Troff, MarksMoveNothingInAnyCluster) {
  std::vector<std::string> lines = {"dd DD Dd", "Vie^.t Nam", "DDu+o+`ng pho^'"};
  // Between capitals that kern, so a mark that let them kern would show.
  for (const char vowel : std::string("aeiouyAEIOUY"))
    for (const std::string modifier : {"", "^", "+", "("})
      for (const std::string tone : {"", "'", "`", "?", "~", "."}) {
        std::string line = "T";
        line += vowel;
        line += modifier + tone + "V";
        lines.push_back(line);
      }
  expect_marks_move_nothing(lines);
}

TEST(Troff, MarksMoveNothingInTheExample) {
  std::istringstream example(read_file(SOURCE + "/examples/sample.viqr"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);)
    if (!line.empty() && line[0] != '.') lines.push_back(line);
  ASSERT_GT(lines.size(), 10u);
  expect_marks_move_nothing(lines);
}

TEST(Troff, TheExampleFormatsWithoutAWarning) {
  const Scratch s;
  const std::string example = "'" + SOURCE + "/examples/sample.viqr'";
  for (const std::string formatter : {"groff -ms -ww -Tpdf", "nroff -ms -ww -Tutf8"}) {
    const Outcome r = s.run("$DIASET " + example + " >out.tr && " + formatter + " out.tr | wc -c");
    EXPECT_EQ(r.err, "") << formatter;
    EXPECT_EQ(r.status, 0) << formatter;
    EXPECT_GT(std::stol(r.out), 1000) << formatter;
  }
}

TEST(Troff, TheManualFormatsWithoutAWarning) {
  const Scratch s;
  const Outcome r = s.run("groff -man -ww -z '" + SOURCE + "/diaset.1'");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

} // namespace
