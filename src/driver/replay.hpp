// Replay: the scan loop's fast path. Most bytes are copied as they stand. The others, vowels, d
// and the escape, take a turn whose output and length depend only on the class of that byte and
// of the two after it, so each class of three bytes is rendered once by the byte-by-byte path,
// when filtering starts, and replayed from a table. The loop maps a window's own-turn bytes in a
// bitmap, then walks from one to the next, copying the plain run before each and replaying its
// turn with fixed-length copies. Few of its branches depend on the text: on text like this, a
// branch per byte is mispredicted often enough to cost more than all the rest.
#pragma once

#include "cpu/cpu.hpp"
#include "render/vowel.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace diaset {

// The bytes that make a class of their own at each of the three places. The first byte is one
// that takes a turn of its own: a vowel, d or the escape; plain bytes are copied in runs and
// have no step. After it, every other byte is in the last class of its place.
inline constexpr std::string_view FIRST_BYTES = "aeiouyAEIOUYdD\\";
static_assert(FIRST_BYTES.substr(0, VOWELS.size()) == VOWELS);
// The byte after it: the marks, and d for a doubled d.
inline constexpr std::string_view SECOND_BYTES = "'`?~.^+(dD";
static_assert(SECOND_BYTES.substr(0, MARKS.size()) == MARKS);
// The byte after that: the tones, which may follow a modifier.
inline constexpr std::string_view THIRD_BYTES = TONES;

inline constexpr std::size_t SECOND_CLASSES = SECOND_BYTES.size() + 1;
inline constexpr std::size_t THIRD_CLASSES = THIRD_BYTES.size() + 1;
inline constexpr std::size_t STEP_COUNT = FIRST_BYTES.size() * SECOND_CLASSES * THIRD_CLASSES;

// Every step copies this many bytes, of which it keeps its size: a fixed length keeps the copy
// free of branches. It holds any vowel with one mark, or a crossed d; the longer texts of a
// modifier with a tone after it take a second copy, up to the longest step.
inline constexpr std::size_t STEP_COPY = 48;
// Steps as short as glyph names take a shorter copy, of a text kept with each step.
inline constexpr std::size_t SHORT_COPY = 8;
inline constexpr std::size_t MAX_STEP_SIZE = 144;

struct alignas(8) Step {
  std::uint16_t text;   // where the output starts: in the step texts, or at this input offset
  std::uint8_t size;    // output bytes
  std::uint8_t advance; // input bytes consumed
  std::uint8_t source;  // 0: the step texts; 1: the input, for the escaped byte
  std::uint8_t tone;    // 1 if the vowel took a tone
};

using StepKeys = std::array<std::uint16_t, 256>;

constexpr StepKeys step_keys(std::string_view bytes, std::size_t stride) {
  StepKeys keys{};
  keys.fill(static_cast<std::uint16_t>(bytes.size() * stride));
  for (std::size_t i = 0; i < bytes.size(); ++i)
    keys[static_cast<unsigned char>(bytes[i])] = static_cast<std::uint16_t>(i * stride);
  return keys;
}

// A byte with no turn of its own has no step: its first key is past the table's end.
inline constexpr std::size_t FIRST_STRIDE = SECOND_CLASSES * THIRD_CLASSES;
inline constexpr StepKeys FIRST_KEY = step_keys(FIRST_BYTES, FIRST_STRIDE);
inline constexpr StepKeys SECOND_KEY = step_keys(SECOND_BYTES, THIRD_CLASSES);
inline constexpr StepKeys THIRD_KEY = step_keys(THIRD_BYTES, 1);

// Copies a run of plain bytes: one fixed copy covers most runs, with no branch on their length,
// which varies too much to predict. It may write and read up to PLAIN_COPY bytes past the run.
inline constexpr std::size_t PLAIN_COPY = 32;

inline char* copy_plain(char* out, const unsigned char* from, std::size_t size) {
  std::memcpy(out, from, PLAIN_COPY);
  if (size > PLAIN_COPY) std::memcpy(out + PLAIN_COPY, from + PLAIN_COPY, size - PLAIN_COPY);
  return out + size;
}

// The walk's tables, kept together so that one register reaches them all.
struct ReplayTables {
  Step steps[STEP_COUNT];
  // Each step's text, where every step fits SHORT_COPY: one load reaches it.
  char short_texts[STEP_COUNT][SHORT_COPY];
  // The keys of the first two bytes together, by the two bytes as they lie in memory.
  std::uint16_t pair_keys[256 * 256];
  StepKeys third_keys;
  // Room for every distinct step text, with the longest copy's worth to spare after the last.
  char texts[64 * 1024 + MAX_STEP_SIZE];
};
extern ReplayTables replay;
// Whether every step fits SHORT_COPY.
extern bool short_steps;

// The walks go through a window's turns in batches of this many, with one check for room each.
inline constexpr std::size_t TURN_BATCH = 32;

#if defined(DIASET_AVX512)
// Lists the offsets of the bits set in a window's map words, one bit for each byte from its
// start, in order; returns how many. The list takes up to 32 entries past the last.
DIASET_AVX512 std::size_t list_bits(const std::uint64_t* words, std::size_t size,
                                    std::uint16_t* offsets);
#endif

// Fills the step table by running the byte-by-byte path on one representative of each class.
void prepare_steps();

// Replays turns for as long as a turn's three bytes and a whole copy's worth of input are at
// hand, draining the output as it fills; the byte-by-byte path does the rest of a block.
void replay_steps();

} // namespace diaset
