// The Vietnamese letters: every vowel the input can mark, with its modifier and tone, and the
// crossed d, each with the Unicode character it is. The glyph names, the fallback drawings and
// the UTF-8 reader all derive from this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace diaset {

// The input's character sets: the vowels, the marks that may follow one, and the tones among
// those marks.
inline constexpr std::string_view VOWELS = "aeiouyAEIOUY";
inline constexpr std::string_view MARKS = "'`?~.^+(";
inline constexpr std::string_view TONES = "'`?~.";
inline constexpr std::string_view MODIFIERS = "^+(";

struct Letter {
  char32_t code; // the precomposed character
  char base;     // the ASCII letter under the marks
  char modifier; // '^' circumflex, '+' horn, '(' breve, '-' the bar of the crossed d; or 0
  char tone;     // a byte of TONES, or 0
};

// clang-format off
inline constexpr Letter LETTERS[] = {
    {0x00E1, 'a', 0, '\''}, // latin small letter a with acute
    {0x00E0, 'a', 0, '`'}, // latin small letter a with grave
    {0x1EA3, 'a', 0, '?'}, // latin small letter a with hook above
    {0x00E3, 'a', 0, '~'}, // latin small letter a with tilde
    {0x1EA1, 'a', 0, '.'}, // latin small letter a with dot below
    {0x00E2, 'a', '^', 0}, // latin small letter a with circumflex
    {0x1EA5, 'a', '^', '\''}, // latin small letter a with circumflex and acute
    {0x1EA7, 'a', '^', '`'}, // latin small letter a with circumflex and grave
    {0x1EA9, 'a', '^', '?'}, // latin small letter a with circumflex and hook above
    {0x1EAB, 'a', '^', '~'}, // latin small letter a with circumflex and tilde
    {0x1EAD, 'a', '^', '.'}, // latin small letter a with circumflex and dot below
    {0x0103, 'a', '(', 0}, // latin small letter a with breve
    {0x1EAF, 'a', '(', '\''}, // latin small letter a with breve and acute
    {0x1EB1, 'a', '(', '`'}, // latin small letter a with breve and grave
    {0x1EB3, 'a', '(', '?'}, // latin small letter a with breve and hook above
    {0x1EB5, 'a', '(', '~'}, // latin small letter a with breve and tilde
    {0x1EB7, 'a', '(', '.'}, // latin small letter a with breve and dot below
    {0x00E9, 'e', 0, '\''}, // latin small letter e with acute
    {0x00E8, 'e', 0, '`'}, // latin small letter e with grave
    {0x1EBB, 'e', 0, '?'}, // latin small letter e with hook above
    {0x1EBD, 'e', 0, '~'}, // latin small letter e with tilde
    {0x1EB9, 'e', 0, '.'}, // latin small letter e with dot below
    {0x00EA, 'e', '^', 0}, // latin small letter e with circumflex
    {0x1EBF, 'e', '^', '\''}, // latin small letter e with circumflex and acute
    {0x1EC1, 'e', '^', '`'}, // latin small letter e with circumflex and grave
    {0x1EC3, 'e', '^', '?'}, // latin small letter e with circumflex and hook above
    {0x1EC5, 'e', '^', '~'}, // latin small letter e with circumflex and tilde
    {0x1EC7, 'e', '^', '.'}, // latin small letter e with circumflex and dot below
    {0x00ED, 'i', 0, '\''}, // latin small letter i with acute
    {0x00EC, 'i', 0, '`'}, // latin small letter i with grave
    {0x1EC9, 'i', 0, '?'}, // latin small letter i with hook above
    {0x0129, 'i', 0, '~'}, // latin small letter i with tilde
    {0x1ECB, 'i', 0, '.'}, // latin small letter i with dot below
    {0x00F3, 'o', 0, '\''}, // latin small letter o with acute
    {0x00F2, 'o', 0, '`'}, // latin small letter o with grave
    {0x1ECF, 'o', 0, '?'}, // latin small letter o with hook above
    {0x00F5, 'o', 0, '~'}, // latin small letter o with tilde
    {0x1ECD, 'o', 0, '.'}, // latin small letter o with dot below
    {0x00F4, 'o', '^', 0}, // latin small letter o with circumflex
    {0x1ED1, 'o', '^', '\''}, // latin small letter o with circumflex and acute
    {0x1ED3, 'o', '^', '`'}, // latin small letter o with circumflex and grave
    {0x1ED5, 'o', '^', '?'}, // latin small letter o with circumflex and hook above
    {0x1ED7, 'o', '^', '~'}, // latin small letter o with circumflex and tilde
    {0x1ED9, 'o', '^', '.'}, // latin small letter o with circumflex and dot below
    {0x01A1, 'o', '+', 0}, // latin small letter o with horn
    {0x1EDB, 'o', '+', '\''}, // latin small letter o with horn and acute
    {0x1EDD, 'o', '+', '`'}, // latin small letter o with horn and grave
    {0x1EDF, 'o', '+', '?'}, // latin small letter o with horn and hook above
    {0x1EE1, 'o', '+', '~'}, // latin small letter o with horn and tilde
    {0x1EE3, 'o', '+', '.'}, // latin small letter o with horn and dot below
    {0x00FA, 'u', 0, '\''}, // latin small letter u with acute
    {0x00F9, 'u', 0, '`'}, // latin small letter u with grave
    {0x1EE7, 'u', 0, '?'}, // latin small letter u with hook above
    {0x0169, 'u', 0, '~'}, // latin small letter u with tilde
    {0x1EE5, 'u', 0, '.'}, // latin small letter u with dot below
    {0x01B0, 'u', '+', 0}, // latin small letter u with horn
    {0x1EE9, 'u', '+', '\''}, // latin small letter u with horn and acute
    {0x1EEB, 'u', '+', '`'}, // latin small letter u with horn and grave
    {0x1EED, 'u', '+', '?'}, // latin small letter u with horn and hook above
    {0x1EEF, 'u', '+', '~'}, // latin small letter u with horn and tilde
    {0x1EF1, 'u', '+', '.'}, // latin small letter u with horn and dot below
    {0x00FD, 'y', 0, '\''}, // latin small letter y with acute
    {0x1EF3, 'y', 0, '`'}, // latin small letter y with grave
    {0x1EF7, 'y', 0, '?'}, // latin small letter y with hook above
    {0x1EF9, 'y', 0, '~'}, // latin small letter y with tilde
    {0x1EF5, 'y', 0, '.'}, // latin small letter y with dot below
    {0x00C1, 'A', 0, '\''}, // latin capital letter a with acute
    {0x00C0, 'A', 0, '`'}, // latin capital letter a with grave
    {0x1EA2, 'A', 0, '?'}, // latin capital letter a with hook above
    {0x00C3, 'A', 0, '~'}, // latin capital letter a with tilde
    {0x1EA0, 'A', 0, '.'}, // latin capital letter a with dot below
    {0x00C2, 'A', '^', 0}, // latin capital letter a with circumflex
    {0x1EA4, 'A', '^', '\''}, // latin capital letter a with circumflex and acute
    {0x1EA6, 'A', '^', '`'}, // latin capital letter a with circumflex and grave
    {0x1EA8, 'A', '^', '?'}, // latin capital letter a with circumflex and hook above
    {0x1EAA, 'A', '^', '~'}, // latin capital letter a with circumflex and tilde
    {0x1EAC, 'A', '^', '.'}, // latin capital letter a with circumflex and dot below
    {0x0102, 'A', '(', 0}, // latin capital letter a with breve
    {0x1EAE, 'A', '(', '\''}, // latin capital letter a with breve and acute
    {0x1EB0, 'A', '(', '`'}, // latin capital letter a with breve and grave
    {0x1EB2, 'A', '(', '?'}, // latin capital letter a with breve and hook above
    {0x1EB4, 'A', '(', '~'}, // latin capital letter a with breve and tilde
    {0x1EB6, 'A', '(', '.'}, // latin capital letter a with breve and dot below
    {0x00C9, 'E', 0, '\''}, // latin capital letter e with acute
    {0x00C8, 'E', 0, '`'}, // latin capital letter e with grave
    {0x1EBA, 'E', 0, '?'}, // latin capital letter e with hook above
    {0x1EBC, 'E', 0, '~'}, // latin capital letter e with tilde
    {0x1EB8, 'E', 0, '.'}, // latin capital letter e with dot below
    {0x00CA, 'E', '^', 0}, // latin capital letter e with circumflex
    {0x1EBE, 'E', '^', '\''}, // latin capital letter e with circumflex and acute
    {0x1EC0, 'E', '^', '`'}, // latin capital letter e with circumflex and grave
    {0x1EC2, 'E', '^', '?'}, // latin capital letter e with circumflex and hook above
    {0x1EC4, 'E', '^', '~'}, // latin capital letter e with circumflex and tilde
    {0x1EC6, 'E', '^', '.'}, // latin capital letter e with circumflex and dot below
    {0x00CD, 'I', 0, '\''}, // latin capital letter i with acute
    {0x00CC, 'I', 0, '`'}, // latin capital letter i with grave
    {0x1EC8, 'I', 0, '?'}, // latin capital letter i with hook above
    {0x0128, 'I', 0, '~'}, // latin capital letter i with tilde
    {0x1ECA, 'I', 0, '.'}, // latin capital letter i with dot below
    {0x00D3, 'O', 0, '\''}, // latin capital letter o with acute
    {0x00D2, 'O', 0, '`'}, // latin capital letter o with grave
    {0x1ECE, 'O', 0, '?'}, // latin capital letter o with hook above
    {0x00D5, 'O', 0, '~'}, // latin capital letter o with tilde
    {0x1ECC, 'O', 0, '.'}, // latin capital letter o with dot below
    {0x00D4, 'O', '^', 0}, // latin capital letter o with circumflex
    {0x1ED0, 'O', '^', '\''}, // latin capital letter o with circumflex and acute
    {0x1ED2, 'O', '^', '`'}, // latin capital letter o with circumflex and grave
    {0x1ED4, 'O', '^', '?'}, // latin capital letter o with circumflex and hook above
    {0x1ED6, 'O', '^', '~'}, // latin capital letter o with circumflex and tilde
    {0x1ED8, 'O', '^', '.'}, // latin capital letter o with circumflex and dot below
    {0x01A0, 'O', '+', 0}, // latin capital letter o with horn
    {0x1EDA, 'O', '+', '\''}, // latin capital letter o with horn and acute
    {0x1EDC, 'O', '+', '`'}, // latin capital letter o with horn and grave
    {0x1EDE, 'O', '+', '?'}, // latin capital letter o with horn and hook above
    {0x1EE0, 'O', '+', '~'}, // latin capital letter o with horn and tilde
    {0x1EE2, 'O', '+', '.'}, // latin capital letter o with horn and dot below
    {0x00DA, 'U', 0, '\''}, // latin capital letter u with acute
    {0x00D9, 'U', 0, '`'}, // latin capital letter u with grave
    {0x1EE6, 'U', 0, '?'}, // latin capital letter u with hook above
    {0x0168, 'U', 0, '~'}, // latin capital letter u with tilde
    {0x1EE4, 'U', 0, '.'}, // latin capital letter u with dot below
    {0x01AF, 'U', '+', 0}, // latin capital letter u with horn
    {0x1EE8, 'U', '+', '\''}, // latin capital letter u with horn and acute
    {0x1EEA, 'U', '+', '`'}, // latin capital letter u with horn and grave
    {0x1EEC, 'U', '+', '?'}, // latin capital letter u with horn and hook above
    {0x1EEE, 'U', '+', '~'}, // latin capital letter u with horn and tilde
    {0x1EF0, 'U', '+', '.'}, // latin capital letter u with horn and dot below
    {0x00DD, 'Y', 0, '\''}, // latin capital letter y with acute
    {0x1EF2, 'Y', 0, '`'}, // latin capital letter y with grave
    {0x1EF6, 'Y', 0, '?'}, // latin capital letter y with hook above
    {0x1EF8, 'Y', 0, '~'}, // latin capital letter y with tilde
    {0x1EF4, 'Y', 0, '.'}, // latin capital letter y with dot below
    {0x0111, 'd', '-', 0}, // latin small letter d with stroke
    {0x0110, 'D', '-', 0}, // latin capital letter d with stroke
};
// clang-format on

inline constexpr std::size_t LETTER_COUNT = std::size(LETTERS);

// The letter's place in LETTERS by its base, modifier and tone, or -1 where they make none.
inline constexpr std::string_view LETTER_BASES = "aeiouyAEIOUYdD";
inline constexpr std::string_view LETTER_MODIFIERS{"\0^+(-", 5};
inline constexpr std::string_view LETTER_TONES{"\0'`?~.", 6};

using LetterKeys =
    std::array<std::int16_t, LETTER_BASES.size() * LETTER_MODIFIERS.size() * LETTER_TONES.size()>;

constexpr std::size_t letter_key(std::size_t base, std::size_t modifier, std::size_t tone) {
  return (base * LETTER_MODIFIERS.size() + modifier) * LETTER_TONES.size() + tone;
}

constexpr LetterKeys letter_keys() {
  LetterKeys keys{};
  keys.fill(-1);
  for (std::size_t i = 0; i < LETTER_COUNT; ++i) {
    const Letter& l = LETTERS[i];
    keys[letter_key(LETTER_BASES.find(l.base), LETTER_MODIFIERS.find(l.modifier),
                    LETTER_TONES.find(l.tone))] = static_cast<std::int16_t>(i);
  }
  return keys;
}

inline constexpr LetterKeys LETTER_KEYS = letter_keys();

// The letter a base byte makes with a modifier and a tone (each a mark byte or 0), or -1.
constexpr int letter_of(int base, int modifier, int tone) {
  const auto b = LETTER_BASES.find(static_cast<char>(base));
  const auto m = LETTER_MODIFIERS.find(static_cast<char>(modifier));
  const auto t = LETTER_TONES.find(static_cast<char>(tone));
  if (base <= 0 || b == std::string_view::npos || m == std::string_view::npos ||
      t == std::string_view::npos)
    return -1;
  return LETTER_KEYS[letter_key(b, m, t)];
}

// groff's name for a letter's glyph, as written in troff input: "\[u1EC7]".
using GlyphName = std::array<char, 8>;

constexpr GlyphName glyph_name(char32_t code) {
  constexpr std::string_view hex = "0123456789ABCDEF";
  GlyphName name = {'\\', '[', 'u', 0, 0, 0, 0, ']'};
  for (int digit = 0; digit < 4; ++digit)
    name[static_cast<std::size_t>(6 - digit)] = hex[(code >> (4 * digit)) & 0xF];
  return name;
}

constexpr std::array<GlyphName, LETTER_COUNT> glyph_names() {
  std::array<GlyphName, LETTER_COUNT> names{};
  for (std::size_t i = 0; i < LETTER_COUNT; ++i) names[i] = glyph_name(LETTERS[i].code);
  return names;
}

inline constexpr std::array<GlyphName, LETTER_COUNT> GLYPH_NAMES = glyph_names();

static_assert(LETTER_COUNT == 134);
static_assert(letter_of('e', '^', '.') >= 0 && LETTERS[letter_of('e', '^', '.')].code == 0x1EC7);
static_assert(letter_of('d', '-', 0) >= 0 && LETTERS[letter_of('d', '-', 0)].code == 0x0111);
static_assert(letter_of('i', '^', 0) == -1 && letter_of('a', 0, 0) == -1);

} // namespace diaset
