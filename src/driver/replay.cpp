#include "driver/replay.hpp"

#include "driver/scan.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace diaset {

Step steps[STEP_COUNT];
// Room for every distinct step text, with the longest copy's worth to spare after the last.
char step_texts[64 * 1024 + MAX_STEP_SIZE];

namespace {

unsigned char representative(std::string_view bytes, std::size_t cls) {
  return cls < bytes.size() ? static_cast<unsigned char>(bytes[cls]) : 'x';
}

} // namespace

void prepare_steps() {
  const Input saved_input = input;
  const Output saved_output = output;
  char rendered[512];
  std::size_t used = 0;
  for (std::size_t first = 0; first < FIRST_BYTES.size(); ++first)
    for (std::size_t second = 0; second < SECOND_CLASSES; ++second)
      for (std::size_t third = 0; third < THIRD_CLASSES; ++third) {
        const unsigned char bytes[3] = {static_cast<unsigned char>(FIRST_BYTES[first]),
                                        representative(SECOND_BYTES, second),
                                        representative(THIRD_BYTES, third)};
        open_input_bytes(bytes, sizeof bytes);
        output = Output{rendered, rendered + sizeof rendered};
        scan_byte(take_byte());
        Step& step = steps[FIRST_KEY[bytes[0]] + SECOND_KEY[bytes[1]] + THIRD_KEY[bytes[2]]];
        step.size = static_cast<std::uint8_t>(output.pos - rendered);
        step.advance = static_cast<std::uint8_t>(input.pos - bytes);
        if (bytes[0] == '\\') {
          // The byte after the escape, as the input has it.
          step.source = 1;
          step.text = static_cast<std::uint16_t>(step.advance - 1);
          continue;
        }
        // The same text as for the class before at the third place is kept once.
        if (third > 0) {
          const Step& before = (&step)[-1];
          if (before.size == step.size &&
              std::memcmp(step_texts + before.text, rendered, step.size) == 0) {
            step.text = before.text;
            continue;
          }
        }
        std::memcpy(step_texts + used, rendered, step.size);
        step.text = static_cast<std::uint16_t>(used);
        used += step.size;
      }
  input = saved_input;
  output = saved_output;
}

namespace {

// The input is walked in windows: a bitmap of the window's own-turn bytes, then the walk.
constexpr std::size_t WINDOW = 4096;
std::uint64_t own_turns[WINDOW / 64];

// A byte's turn changes something only where the byte after it belongs to it: a vowel before
// a mark, a d before another d. Any other vowel or d is written as it stands, so it is copied
// with the plain run; only those turns, and every escape, are mapped. The bytes a turn consumes
// are marks, d's and escaped bytes; a mapped byte among them is passed over by the walk.
enum TurnBits : std::uint8_t { VowelBit = 1, DBit = 2, EscapeBit = 4, MarkBit = 8 };

constexpr std::array<std::uint8_t, 256> turn_bits() {
  std::array<std::uint8_t, 256> bits{};
  for (const char c : VOWELS) bits[static_cast<unsigned char>(c)] |= VowelBit;
  bits['d'] |= DBit;
  bits['D'] |= DBit;
  bits['\\'] |= EscapeBit;
  for (const char c : MARKS) bits[static_cast<unsigned char>(c)] |= MarkBit;
  return bits;
}
constexpr std::array<std::uint8_t, 256> TURN_BITS = turn_bits();

bool changes(const unsigned char* at) {
  const unsigned here = TURN_BITS[at[0]], next = TURN_BITS[at[1]];
  return (here & EscapeBit) != 0 || ((here & VowelBit) != 0 && (next & MarkBit) != 0) ||
         ((here & DBit) != 0 && (next & DBit) != 0);
}

std::uint64_t map_word(const unsigned char* from, std::size_t bits) {
  std::uint64_t map = 0;
  for (std::size_t b = 0; b < bits; ++b) map |= std::uint64_t{changes(from + b)} << b;
  return map;
}

#if defined(__SSE2__)
// Sixteen bytes at a time, each beside the byte after it. Setting bit 5 folds each capital onto
// its small letter and no other byte onto a letter, so six comparisons find the vowels in both
// cases, and one each finds d.
std::uint64_t map_word_sse2(const unsigned char* from) {
  static_assert(VOWELS == "aeiouyAEIOUY" && MARKS == "'`?~.^+(");
  const __m128i fold = _mm_set1_epi8(0x20);
  std::uint64_t map = 0;
  for (int part = 0; part < 4; ++part) {
    const auto* at = reinterpret_cast<const __m128i*>(from + 16 * part);
    const __m128i bytes = _mm_loadu_si128(at);
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part + 1));
    const __m128i folded = _mm_or_si128(bytes, fold);
    __m128i vowel = _mm_setzero_si128();
    for (const char letter : {'a', 'e', 'i', 'o', 'u', 'y'})
      vowel = _mm_or_si128(vowel, _mm_cmpeq_epi8(folded, _mm_set1_epi8(letter)));
    __m128i mark = _mm_setzero_si128();
    for (const char c : MARKS) mark = _mm_or_si128(mark, _mm_cmpeq_epi8(next, _mm_set1_epi8(c)));
    const __m128i d = _mm_set1_epi8('d');
    const __m128i doubled =
        _mm_and_si128(_mm_cmpeq_epi8(folded, d), _mm_cmpeq_epi8(_mm_or_si128(next, fold), d));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_and_si128(vowel, mark), doubled),
                                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')));
    map |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << 16 * part;
  }
  return map;
}
#endif

void map_own_turns(const unsigned char* from, std::size_t size) {
  for (std::size_t word = 0; word * 64 < size; ++word) {
    const std::size_t bits = size - word * 64 < 64 ? size - word * 64 : 64;
#if defined(__SSE2__)
    if (bits == 64) {
      own_turns[word] = map_word_sse2(from + word * 64);
      continue;
    }
#endif
    own_turns[word] = map_word(from + word * 64, bits);
  }
}

} // namespace

void replay_steps() {
  // A turn reads the two bytes after its own and may copy a whole copy's worth of input from the
  // byte after it; a plain run's first copy reads PLAIN_COPY bytes.
  if (input.end - input.pos <= static_cast<std::ptrdiff_t>(STEP_COPY)) return;
  const unsigned char* const last = input.end - STEP_COPY - 1;
  const unsigned char* plain = input.pos; // the first byte not yet written
  char* out = output.pos;
  // Room for a plain run and the longest turn after it, with the copies' spare bytes.
  const auto make_room = [&](std::size_t run) {
    if (output.end - out >= static_cast<std::ptrdiff_t>(run + PLAIN_COPY + MAX_STEP_SIZE)) return;
    output.pos = out;
    drain_output();
    out = output.pos;
  };
  while (plain <= last) {
    const unsigned char* const window = plain;
    const auto size = std::min(WINDOW, static_cast<std::size_t>(last - window) + 1);
    map_own_turns(window, size);
    for (std::size_t word = 0; word * 64 < size; ++word) {
      const unsigned char* const base = window + word * 64;
      for (std::uint64_t map = own_turns[word]; map != 0; map &= map - 1) {
        const unsigned char* const turn = base + std::countr_zero(map);
        // The turn before consumed it: an escaped byte, or the second of a doubled d.
        if (turn < plain) continue;
        const auto run = static_cast<std::size_t>(turn - plain);
        make_room(run);
        out = copy_plain(out, plain, run);
        const Step& step = steps[FIRST_KEY[turn[0]] + SECOND_KEY[turn[1]] + THIRD_KEY[turn[2]]];
        const char* from =
            (step.source != 0 ? reinterpret_cast<const char*>(turn) : step_texts) + step.text;
        std::memcpy(out, from, STEP_COPY);
        if (step.size > STEP_COPY)
          std::memcpy(out + STEP_COPY, from + STEP_COPY, MAX_STEP_SIZE - STEP_COPY);
        out += step.size;
        plain = turn + step.advance;
      }
    }
    // The rest of the window is plain.
    const unsigned char* const window_end = window + size;
    if (plain < window_end) {
      const auto run = static_cast<std::size_t>(window_end - plain);
      make_room(run);
      out = copy_plain(out, plain, run);
      plain = window_end;
    }
  }
  input.pos = plain;
  output.pos = out;
}

} // namespace diaset
