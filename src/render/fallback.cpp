// The fallback drawings: for each letter, troff text that draws it from the font's own glyphs
// where the font lacks the precomposed one. Each drawing is the letter under its last mark (the
// bare vowel, or the vowel with its modifier as a glyph name of its own, so that it too is the
// font's glyph where the font has it), and that mark placed from metrics troff measures where
// the letter is set: the height of the letter and of the font's x, and the skew of a slanted
// letter. The mark is drawn inside \Z, so the drawing is exactly as wide as its letter.
#include "render/glyph.hpp"

#include <cstring>
#include <string>

namespace diaset {

namespace {

// Strings shared by the drawings. Each takes the letter under the mark, the mark's glyph, a
// nudge right and up in thousandths of an em, the glyph whose height the mark sits on, and the
// level of the drawing. Stored in copy mode, so a register is read, and an argument put in,
// where the letter is set. Expressions run left to right, hence the parentheses; a bare number
// in a motion is taken in ems, hence the u's; and a value in \R that starts with a minus
// would be taken as a decrement, hence the parentheses around each.
constexpr std::string_view DRAWINGS =
    R"(.\" Fallback drawings of the Vietnamese letters, for fonts that lack them.
.\" Above: raised by what the letter stands above the font's x, moved by its skew.
.ds diaset-above \[\\$1]\h'0*\w'x'u'\R'diaset-xh\\$6 (\\n[rst])'\R'diaset-xk\\$6 (\\n[skw])'\h'0*\w'\[\\$5]'u'\R'diaset-r\\$6 (\\n[rst]-\\n[diaset-xh\\$6]+(\\$4u*1m/1000u))'\R'diaset-k\\$6 (\\n[skw]-\\n[diaset-xk\\$6])'\Z'\h'-(\w'\[\\$1]'u+\w'\[\\$2]'u/2u)+\\n[diaset-k\\$6]u+(\\$3u*1m/1000u)'\v'-\\n[diaset-r\\$6]u'\[\\$2]'
.\" Below: the dot hung under the letter's lowest ink.
.ds diaset-below \[\\$1]\h'0*\w'\[\\$5]'u'\R'diaset-b\\$6 (\\n[rsb])'\h'0*\w'\[\\$2]'u'\R'diaset-r\\$6 (\\n[rst]-\\n[diaset-b\\$6]+(\\$4u*1m/1000u))'\R'diaset-k\\$6 (\\n[skw]/2)'\Z'\h'-(\w'\[\\$1]'u+\w'\[\\$2]'u/2u)-\\n[diaset-k\\$6]u+(\\$3u*1m/1000u)'\v'\\n[diaset-r\\$6]u'\[\\$2]'
.\" Hook above: drawn, a question mark's curl without its dot.
.ds diaset-hook \[\\$1]\h'0*\w'x'u'\R'diaset-xk\\$6 (\\n[skw])'\h'0*\w'\[\\$5]'u'\R'diaset-r\\$6 (\\n[rst]+(\\$4u*1m/1000u))'\R'diaset-k\\$6 (\\n[skw]-\\n[diaset-xk\\$6])'\Z'\h'-(\w'\[\\$1]'u/2u)+\\n[diaset-k\\$6]u+(\\$3u*1m/1000u)'\v'-\\n[diaset-r\\$6]u'\D'l 0 -0.05m'\D'a 0 -0.065m -0.065m 0''
.\" Horn: the font's closing quote, its tail on the letter's right shoulder, its top raised.
.ds diaset-horn \[\\$1]\h'0*\w'\[\\$5]'u'\R'diaset-r\\$6 (\\n[rst]+(\\$4u*1m/1000u))'\h'0*\w'\[\\$2]'u'\R'diaset-r\\$6 (\\n[diaset-r\\$6]-\\n[rst])'\Z'\h'(\\$3u*1m/1000u)'\v'-\\n[diaset-r\\$6]u'\[\\$2]'
.\" Bar: the macron through the stem of d.
.ds diaset-bar \[\\$1]\h'0*\w'\[\\$5]'u'\R'diaset-r\\$6 (\\n[rst]*\\$4/1000u)'\R'diaset-k\\$6 (\\n[skw])'\h'0*\w'\[\\$2]'u'\R'diaset-r\\$6 (\\n[rst]-\\n[diaset-r\\$6])'\Z'\h'-(\w'\[\\$1]'u*(1000u-\\$3u)/1000u)-(\w'\[\\$2]'u/2u)'\v'\\n[diaset-r\\$6]u'\[\\$2]'
)";

// How the last mark of a letter is drawn: by its modifier and tone (0 for none).
struct Drawing {
  char base; // 0 for any
  char modifier;
  char tone;
  std::string_view form; // which of the strings above
  std::string_view mark; // the font's glyph for it
  int right;             // thousandths of an em
  int up;
};

// clang-format off
constexpr Drawing LAST_MARKS[] = {
    {0,   '^', 0,    "above", "a^",   0,   0},
    {0,   '(', 0,    "above", "ab",   0,   0},
    {0,   '+', 0,    "horn",  "cq",    -150,  60},
    {'d', '-', 0,    "bar",   "a-", 800, 550},
    {'D', '-', 0,    "bar",   "a-", 150, 500},
    {0,   0,   '\'', "above", "aa",   0,   0},
    {0,   0,   '`',  "above", "ga",   0,   0},
    {0,   0,   '?',  "hook",  "-",        0,  60},
    {0,   0,   '~',  "above", "a~",   0,   0},
    {0,   0,   '.',  "below", "a.",   0,  40},
    {0,   '^', '\'', "above", "aa", 220, -70},
    {0,   '^', '`',  "above", "ga", 220, -100},
    {0,   '^', '?',  "hook",  "-",      280, -40},
    {0,   '^', '~',  "above", "a~",   0,  20},
    {0,   '^', '.',  "below", "a.",   0,  40},
    {0,   '(', '\'', "above", "aa",   0,  20},
    {0,   '(', '`',  "above", "ga",   0,  20},
    {0,   '(', '?',  "hook",  "-",        0,  80},
    {0,   '(', '~',  "above", "a~",   0,  20},
    {0,   '(', '.',  "below", "a.",   0,  40},
    {0,   '+', '\'', "above", "aa",   0,   0},
    {0,   '+', '`',  "above", "ga",   0,   0},
    {0,   '+', '?',  "hook",  "-",        0,  60},
    {0,   '+', '~',  "above", "a~",   0,   0},
    {0,   '+', '.',  "below", "a.",   0,  40},
};
// clang-format on

// Where a font's own accent sits far off the centre of its box, as the tilde of the New Century
// Schoolbook italics does, a fallback for that font alone moves it back over the letter.
struct FontNudge {
  std::string_view font;
  std::string_view mark;
  int right; // thousandths of an em
};

constexpr FontNudge FONT_NUDGES[] = {{"NI", "a~", -140}, {"NBI", "a~", -140}};

const Drawing& last_mark(const Letter& letter) {
  for (const Drawing& d : LAST_MARKS)
    if ((d.base == 0 || d.base == letter.base) && d.modifier == letter.modifier &&
        d.tone == letter.tone)
      return d;
  return LAST_MARKS[0];
}

// A glyph name as the strings take it, without brackets, which would end their arguments.
std::string glyph_argument(int letter) {
  char code[5];
  std::memcpy(code, GLYPH_NAMES[static_cast<std::size_t>(letter)].data() + 3, 4);
  code[4] = '\0';
  return std::string("u") + code;
}

// An ASCII letter by the name groff gives its input code: neither the letter alone nor its
// Unicode name names its glyph in brackets.
std::string ascii_argument(char letter) { return "char" + std::to_string(letter); }

std::string glyph_text(int letter) {
  return std::string(GLYPH_NAMES[static_cast<std::size_t>(letter)].data(), sizeof(GlyphName));
}

// The letter under the last mark. A small i loses its dot under a tone above it.
std::string carrier(const Letter& letter) {
  if (letter.tone != 0 && letter.modifier != 0 && letter.modifier != '-')
    return glyph_argument(letter_of(letter.base, letter.modifier, 0));
  if (letter.base == 'i' && letter.tone != 0 && letter.tone != '.') return ".i";
  return ascii_argument(letter.base);
}

// The glyph whose height the mark sits on: a horn does not lift the tone over its vowel.
std::string height_of(const Letter& letter, const std::string& under) {
  if (letter.modifier == '+' && letter.tone != 0) return ascii_argument(letter.base);
  return under;
}

// A drawing whose letter is itself drawn runs inside it; each level keeps its own registers.
std::string level(const Letter& letter) { return letter.tone != 0 ? "2" : "1"; }

// The drawing of a letter, its last mark nudged right.
std::string drawing(std::size_t i, int nudge) {
  const Letter& letter = LETTERS[i];
  const Drawing& d = last_mark(letter);
  const std::string under = carrier(letter);
  return "\\\\*[diaset-" + std::string(d.form) + " " + under + " " + std::string(d.mark) + " " +
         std::to_string(d.right + nudge) + " " + std::to_string(d.up) + " " +
         height_of(letter, under) + " " + level(letter) + "]";
}

// One definition: the request (a device without the font skips a font's own), the glyph, and
// its drawing.
std::string definition(std::string_view request, std::size_t i, int nudge) {
  return std::string(request) + " " + glyph_text(static_cast<int>(i)) + " " + drawing(i, nudge) +
         "\n";
}

// A few fonts have a letter of their own whose accent ghostscript sets well off the letter's
// centre. On the printing devices such a letter goes through a glyph of diaset's own, which is
// the font's letter everywhere but in those fonts, where it is drawn, nudged where the top of
// the letter is not where its box says (the arms of an italic y, the serif of an italic i).
// Terminals keep theirs.
struct OwnLetter {
  std::string_view font;
  char base;
  char tone;
  int right; // thousandths of an em
};

// clang-format off
constexpr OwnLetter OFF_CENTRE[] = {
    {"TI",  'y', '\'', -130},
    {"CI",  'i', '\'', -170}, {"CBI", 'i', '\'', -170}, {"CBI", 'A', '\'', -160},
    {"PI",  'u', '\'',    0}, {"PBI", 'i', '\'', -130}, {"PBI", 'u', '\'',    0},
    {"PBI", 'Y', '\'',    0},
    {"NI",  'u', '\'', -160},
};
// clang-format on

constexpr std::string_view PRINTING_DEVICES[] = {"ps", "pdf"};

std::string own_glyph(std::size_t i) {
  return "\\[diaset-own-" + glyph_argument(static_cast<int>(i)) + "]";
}

std::string redrawn_letters() {
  std::string text =
      ".\\\" A font's own letter with its accent off the centre, drawn in that font.\n";
  bool seen[LETTER_COUNT] = {};
  for (const OwnLetter& own : OFF_CENTRE) {
    const auto i = static_cast<std::size_t>(letter_of(own.base, 0, own.tone));
    if (!seen[i]) {
      seen[i] = true;
      for (const std::string_view device : PRINTING_DEVICES)
        text += ".if '\\*[.T]'" + std::string(device) + "' .char " +
                glyph_text(static_cast<int>(i)) + " " + own_glyph(i) + "\n";
      text += ".schar " + own_glyph(i) + " " + glyph_text(static_cast<int>(i)) + "\n";
    }
    text += ".if F " + std::string(own.font) + " .fschar " + std::string(own.font) + " " +
            own_glyph(i) + " " + drawing(i, own.right) + "\n";
  }
  return text;
}

std::string make_definitions() {
  std::string text(DRAWINGS);
  for (std::size_t i = 0; i < LETTER_COUNT; ++i) text += definition(".schar", i, 0);
  for (const FontNudge& nudge : FONT_NUDGES)
    for (std::size_t i = 0; i < LETTER_COUNT; ++i)
      if (last_mark(LETTERS[i]).mark == nudge.mark)
        text +=
            definition(".if F " + std::string(nudge.font) + " .fschar " + std::string(nudge.font),
                       i, nudge.right);
  return text + redrawn_letters();
}

} // namespace

std::string_view fallback_definitions() {
  static const std::string definitions = make_definitions();
  return definitions;
}

} // namespace diaset
