// Warnings for likely mistakes in VIQR input: what was read, where, and how to write what was
// probably meant. They go to standard error and change no output byte and no exit status.
#pragma once

#include "letters/letters.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace diaset {

// Whether warnings are given this run; the driver sets it before filtering starts.
extern bool warnings_on;

// Where they go: standard error, unless a tool that drives the filter says otherwise.
extern std::FILE* warning_stream;

// A vowel cluster is a run of vowels and the marks they took; a syllable has one, and one tone.
// Where the last tone ended and where the last byte that breaks a cluster stood, as addresses in
// the block at hand; across blocks, the low values 0 and 1 stand for "before this block",
// keeping which came last.
struct Word {
  std::uintptr_t last_break;
  std::uintptr_t last_tone_end;
};

extern Word tone_word;

inline std::uintptr_t address(const unsigned char* at) {
  return reinterpret_cast<std::uintptr_t>(at);
}

constexpr std::array<bool, 256> in_clusters() {
  std::array<bool, 256> in{};
  for (const char c : VOWELS) in[static_cast<unsigned char>(c)] = true;
  for (const char c : MARKS) in[static_cast<unsigned char>(c)] = true;
  return in;
}

// Vowels and marks: what a cluster may hold, a mark only right after one of these.
inline constexpr std::array<bool, 256> IN_CLUSTERS = in_clusters();

// The tones that double as punctuation, and so are typed for it by mistake.
constexpr bool is_punctuation_tone(int tone) { return tone == '.' || tone == '?' || tone == '\''; }

// What a backslash may protect: a vowel, d or a backslash always; a mark only where it would
// be a vowel's, after a vowel or another mark. Elsewhere the backslash protects nothing, and
// was most likely meant for troff.
enum Protects : unsigned char { Nothing, Always, AfterVowel };

constexpr std::array<Protects, 256> protections() {
  std::array<Protects, 256> p{};
  for (const char c : MARKS) p[static_cast<unsigned char>(c)] = AfterVowel;
  for (const char c : VOWELS) p[static_cast<unsigned char>(c)] = Always;
  p['d'] = p['D'] = p['\\'] = Always;
  return p;
}

inline constexpr std::array<Protects, 256> PROTECTS = protections();

// Whether a backslash protected the byte after it, given the byte before it (-1: not known).
constexpr bool protects(int before, int escaped) {
  const Protects p = PROTECTS[static_cast<unsigned char>(escaped)];
  return p == Always || (p == AfterVowel &&
                         (before < 0 || PROTECTS[static_cast<unsigned char>(before)] != Nothing));
}

// Starts warning about the named file, from its first line.
void start_warnings(const char* file);

// Counts the lines of the block at hand, and carries the word state past it, before the block
// is replaced by the next.
void block_ends();

// Gives the warning for a vowel, at hand with its marks, that took a second tone in one run.
void warn_second_tone(const unsigned char* vowel, const unsigned char* end);

// Warns if the byte after a backslash, both at hand, did not need it.
void check_escape(const unsigned char* backslash);

// Warns, once a file, if bytes hold a Vietnamese letter in UTF-8.
void check_utf8(const unsigned char* from, std::size_t size);

// The byte-by-byte path reads on, into the next block maybe, before it knows what a byte
// was: these keep what a warning needs of the byte while it is still at hand.

// A byte handed to the scan loop: notes where clusters break, and UTF-8 where it shows.
void note_byte(const unsigned char* at);

// A vowel whose marks are still to be read: holds its line and word if its cluster has a tone.
void hold_vowel(const unsigned char* vowel);

// The held vowel took a modifier (or 0) and a tone, which ended just before the given place.
void note_held_tone(int modifier, int tone, const unsigned char* end);

// The line of a byte at hand, for a warning given after reading on.
unsigned long long line_of(const unsigned char* at);

// Warns if an escaped byte, read after a backslash on the given line that followed the given
// byte, did not need it.
void check_escaped(int before, int escaped, unsigned long long line);

} // namespace diaset
