// The vowel path: a vowel letter and the marks typed after it.
#pragma once

#include "letters/letters.hpp"
#include "render/place.hpp"

#include <array>
#include <string_view>

namespace diaset {

// The shape of the letter a tone sits on, which picks where the tone goes.
enum VowelClass : unsigned char { AfterCircumflex, AfterHorn, AfterBreve, Plain, PlainI };

enum Tone : unsigned char { Acute, Grave, HookAbove, Tilde, DotBelow, TONE_COUNT };
inline constexpr int CLASS_COUNT = PlainI + 1;

// Where each tone goes, by the class of its vowel.
// clang-format off
inline constexpr Placement TONE_PLACEMENT[TONE_COUNT][CLASS_COUNT] = {
    // AfterCircumflex   AfterHorn          AfterBreve         Plain              PlainI
    {{'\'', 0.4, 0.15}, {'\'', 0.6, 0.1},  {'\'', 0.5, 0.15}, {'\'', 0.5, 0},    {'\'', 0.3, 0.15}},
    {{'`', 0.6, 0.15},  {'`', 0.55, 0.1},  {'`', 0.5, 0.15},  {'`', 0.5, 0},     {'`', 0.4, 0.15}},
    {{'?', 0.25, 0.2},  {'?', 0.45, 0.15}, {'?', 0.4, 0.15},  {'?', 0.4, 0.1},   {'?', 0.25, 0.2}},
    {{'~', 0.5, 0.15},  {'~', 0.55, 0.15}, {'~', 0.5, 0.15},  {'~', 0.5, 0},     {'~', 0.4, 0.06}},
    {{'.', 0.4, -0.2},  {'.', 0.4, -0.2},  {'.', 0.4, -0.2},  {'.', 0.4, -0.2},  {'.', 0.3, -0.2}},
};
// clang-format on

using ToneMarks = std::array<std::array<MarkTexts, CLASS_COUNT>, TONE_COUNT>;

constexpr ToneMarks tone_marks() {
  ToneMarks marks{};
  for (std::size_t t = 0; t < TONE_COUNT; ++t)
    for (std::size_t c = 0; c < CLASS_COUNT; ++c) marks[t][c] = mark_texts(TONE_PLACEMENT[t][c]);
  return marks;
}

inline constexpr ToneMarks TONE_MARKS = tone_marks();

// Byte lookup for a character set: each member's position in the set, -1 for any other byte.
using ByteIndex = std::array<signed char, 256>;

constexpr ByteIndex index_of(std::string_view set) {
  ByteIndex index{};
  index.fill(-1);
  for (std::size_t i = 0; i < set.size(); ++i)
    index[static_cast<unsigned char>(set[i])] = static_cast<signed char>(i);
  return index;
}

inline constexpr ByteIndex MARK_INDEX = index_of(MARKS);
inline constexpr ByteIndex TONE_INDEX = index_of(TONES);

// Position of a byte, or of end of input (-1), in a character set; -1 if it is not a member.
inline int member(const ByteIndex& set, int byte) {
  return byte < 0 ? -1 : set[static_cast<unsigned char>(byte)];
}

// Writes a vowel and all the marks that follow it that are its own: at most one modifier that
// fits it, then at most one tone. The scan loop hands it every byte in VOWELS.
void vowel_path(int vowel);

// Writes a vowel with a modifier and a tone (each a mark byte, or 0 for none) in the letter form
// in force: the same for the letter however the input spelled it.
void write_letter(int vowel, int modifier, int tone);

// Draws a tone, a byte of TONES, on a vowel of the given class.
void place_tone(VowelClass vowel_class, int tone);

} // namespace diaset
