// UTF-8 input (-u): each Vietnamese letter, in every form it is typed in, is written as its VIQR
// spelling is; everything else passes through as it came.
#include "cpu/cpu.hpp"
#include "driver/scan.hpp"
#include "letters/letters.hpp"
#include "render/glyph.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using diaset::InputForm;
using diaset::LetterForm;

std::string render(std::string_view input, InputForm in, LetterForm form,
                   std::size_t block = SIZE_MAX) {
  diaset::input_form = in;
  diaset::letter_form = form;
  std::string out = diaset::render_bytes(input, block);
  diaset::input_form = InputForm::Viqr;
  diaset::letter_form = LetterForm::Drawn;
  return out;
}

std::string utf8(char32_t code) {
  std::string s;
  if (code < 0x80) {
    s += static_cast<char>(code);
  } else if (code < 0x800) {
    s += static_cast<char>(0xC0 | code >> 6);
    s += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | code >> 12);
    s += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (code & 0x3F));
  }
  return s;
}

// The combining character for each VIQR mark.
std::string combining(char mark) {
  switch (mark) {
  case '\'': return utf8(0x0301);
  case '`': return utf8(0x0300);
  case '?': return utf8(0x0309);
  case '~': return utf8(0x0303);
  case '.': return utf8(0x0323);
  case '^': return utf8(0x0302);
  case '(': return utf8(0x0306);
  case '+': return utf8(0x031B);
  }
  return "";
}

std::string code_of(int base, int modifier, int tone) {
  return utf8(
      diaset::LETTERS[static_cast<std::size_t>(diaset::letter_of(base, modifier, tone))].code);
}

// Every way a letter may come in UTF-8.
std::vector<std::string> spellings(const diaset::Letter& l) {
  std::vector<std::string> forms = {utf8(l.code)};
  if (l.modifier == '-') return forms;
  const std::string base(1, l.base), m = combining(l.modifier), t = combining(l.tone);
  forms.push_back(base + m + t); // decomposed, modifier first
  forms.push_back(base + t + m); // and tone first
  if (l.modifier != 0 && l.tone != 0) {
    forms.push_back(code_of(l.base, l.modifier, 0) + t); // as from code page 1258
    forms.push_back(code_of(l.base, 0, l.tone) + m);
  }
  // The old spellings of the grave and the acute.
  if (l.tone == '`' || l.tone == '\'')
    forms.push_back(base + m + utf8(l.tone == '`' ? 0x0340 : 0x0341));
  return forms;
}

TEST(Utf8, EveryLetterInEveryFormIsWrittenAsItsViqrSpelling) {
  for (const diaset::Letter& l : diaset::LETTERS) {
    std::string viqr(1, l.base);
    if (l.modifier == '-')
      viqr += l.base;
    else if (l.modifier != 0)
      viqr += l.modifier;
    if (l.tone != 0) viqr += l.tone;
    for (const LetterForm form : {LetterForm::Drawn, LetterForm::GlyphName}) {
      const std::string expected = render(viqr + " x", InputForm::Viqr, form);
      for (const std::string& spelling : spellings(l))
        EXPECT_EQ(render(spelling + " x", InputForm::Utf8, form), expected)
            << viqr << " typed as " << spelling;
    }
  }
}

TEST(Utf8, WhatIsNoLetterPassesThroughAsItCame) {
  // Pieces joined by spelling, as a joined literal trips a false warning in g++ 12.
  const auto join = [](std::initializer_list<std::string> pieces) {
    std::string text;
    for (const std::string& piece : pieces) text += piece;
    return text;
  };
  const std::string acute = utf8(0x0301);
  const std::vector<std::string> unchanged = {
      // All ASCII: no mark, no crossed d, troff's own backslashes.
      "a' e^. dd DD \\fBx\\fP \\(em .\\\" a\\. ",
      // Marks with no vowel, or more than a letter takes, or a modifier that does not fit.
      join({"q", acute}),
      join({"a", acute, acute}),
      join({utf8(0x00EA), utf8(0x0306)}),
      join({"a", utf8(0x031B)}),
      join({"i", utf8(0x0302), acute}),
      join({utf8(0x1EBF), acute}),
      join({acute, "x"}),
      // Other characters, marked or not, and marks that are not Vietnamese.
      join({utf8(0x00E4), " ", utf8(0x00F1), acute, " a", utf8(0x0308), " ", utf8(0x2014)}),
      // Bytes that are not UTF-8: overlong, surrogate, truncated, stray.
      "\xC1\xA1 \xE0\x81\x81 \xED\xA0\x80 \xE1\xBB x \xE1 \xC3 \x81\xBF \xCC \xF4\x90\x80\x80 \xFF",
      "a\xCC",
      "\xE1\xBB",
      "\xC3",
  };
  for (const std::string& text : unchanged) {
    EXPECT_EQ(render(text, InputForm::Utf8, LetterForm::Drawn), text) << text;
    EXPECT_EQ(render(text, InputForm::Utf8, LetterForm::GlyphName), text) << text;
  }
  // The crossed d is a letter by itself: a mark after it passes through.
  EXPECT_EQ(render(join({utf8(0x0111), acute}), InputForm::Utf8, LetterForm::GlyphName),
            join({"\\[u0111]", acute}));
  // A letter, then what is no mark of ours: the letter, then the rest unchanged.
  EXPECT_EQ(render(join({"a", acute, utf8(0x0308)}), InputForm::Utf8, LetterForm::GlyphName),
            join({"\\[u00E1]", utf8(0x0308)}));
  EXPECT_EQ(render("a\xCC\x81\xCC", InputForm::Utf8, LetterForm::GlyphName), "\\[u00E1]\xCC");
}

TEST(Utf8, LettersAcrossReadBlocksAreReadWhole) {
  std::string text = read_file(std::string(DIASET_SOURCE_DIR) + "/examples/sample.utf8");
  const std::string acute = utf8(0x0301), dot = utf8(0x0323), hat = utf8(0x0302);
  for (int i = 0; i < 20; ++i)
    text += "Vie" + dot + hat + "t e" + hat + acute + acute + " \xE1\xBB" + "a" + acute + "\xCC ";
  for (const LetterForm form : {LetterForm::Drawn, LetterForm::GlyphName}) {
    const std::string whole = render(text, InputForm::Utf8, form, 1);
    EXPECT_NE(whole, text);
    for (const std::size_t block : {std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{17},
                                    std::size_t{64}, std::size_t{4096}, SIZE_MAX})
      EXPECT_EQ(render(text, InputForm::Utf8, form, block), whole) << "blocks of " << block;
  }
}

TEST(Utf8, EveryPathReadsEveryLetterInEveryFormAlike) {
  // Long enough for the fast path, each spelling at a shifting place in the map's words, with
  // bytes that start no letter between: the byte-by-byte path, and the fast path built for each
  // instruction set the processor has, write the same.
  std::string text;
  for (const diaset::Letter& l : diaset::LETTERS)
    for (const std::string& spelling : spellings(l))
      text += spelling + std::string(text.size() % 5, ' ') + "x\xC3(\xE1\xBB" + utf8(0x0301);
  const bool had_wide = diaset::wide_vectors, had_widest = diaset::widest_vectors;
  for (const LetterForm form : {LetterForm::Drawn, LetterForm::GlyphName}) {
    const std::string slow = render(text, InputForm::Utf8, form, 1);
    for (const bool widest : {false, true}) {
      if (widest && !had_widest) continue;
      diaset::widest_vectors = widest;
      diaset::wide_vectors = widest && had_wide;
      EXPECT_TRUE(render(text, InputForm::Utf8, form) == slow)
          << (widest ? "AVX-512" : "SSE2") << " differs from the byte-by-byte path";
    }
    diaset::wide_vectors = had_wide;
    diaset::widest_vectors = had_widest;
  }
}

TEST(Utf8, TheExampleReadsAsItsViqrTwin) {
  const std::string source = DIASET_SOURCE_DIR;
  const std::string viqr = read_file(source + "/examples/sample.viqr");
  const std::string text = read_file(source + "/examples/sample.utf8");
  // All but the first line, a comment that says which form it is in.
  const auto body = [](const std::string& s) { return s.substr(s.find('\n')); };
  for (const LetterForm form : {LetterForm::Drawn, LetterForm::GlyphName})
    EXPECT_EQ(body(render(text, InputForm::Utf8, form)), body(render(viqr, InputForm::Viqr, form)));
}

// The translated messages beside the project, in both forms, when they are there.
TEST(Utf8, RealTextReadsAsItsViqrTwin) {
  const std::string corpus = std::string(DIASET_SOURCE_DIR) + "/../shared/corpus";
  if (!std::filesystem::exists(corpus + "/messages.utf8")) GTEST_SKIP() << "no corpus beside";
  const Scratch s;
  const Outcome r = s.run(
      "python3 -c \"import sys, unicodedata; sys.stdout.write(unicodedata.normalize('NFD', "
      "open(sys.argv[1], encoding='utf-8').read()))\" '" +
      corpus + "/messages.utf8' >nfd && $DIASET '" + corpus +
      "/messages.viqr' >viqr.tr && $DIASET -u '" + corpus +
      "/messages.utf8' >nfc.tr && $DIASET -u nfd >nfd.tr && cmp viqr.tr nfc.tr && cmp viqr.tr "
      "nfd.tr");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

} // namespace
