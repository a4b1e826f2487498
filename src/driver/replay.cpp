#include "driver/replay.hpp"

#include "cpu/cpu.hpp"
#include "driver/scan.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "warn/warn.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(DIASET_AVX2)
#include <immintrin.h>
#endif

namespace diaset {

ReplayTables replay;
bool short_steps;

#if defined(DIASET_AVX512)
// Each word's bits by compressing its byte offsets by it, 32 at a time.
DIASET_AVX512 std::size_t list_bits(const std::uint64_t* words, std::size_t size,
                                    std::uint16_t* offsets) {
  std::size_t count = 0;
  __m512i at = _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
                                14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  for (std::size_t w = 0; w * 64 < size; ++w)
    for (unsigned half = 0; half < 2; ++half) {
      const auto bits = static_cast<std::uint32_t>(words[w] >> (32 * half));
      _mm512_storeu_si512(offsets + count, _mm512_maskz_compress_epi16(bits, at));
      count += static_cast<unsigned>(std::popcount(bits));
      at = _mm512_add_epi16(at, _mm512_set1_epi16(32));
    }
  return count;
}
#endif

namespace {

unsigned char representative(std::string_view bytes, std::size_t cls) {
  return cls < bytes.size() ? static_cast<unsigned char>(bytes[cls]) : 'x';
}

} // namespace

void prepare_steps() {
  const Input saved_input = input;
  const Output saved_output = output;
  const bool saved_warnings = warnings_on;
  warnings_on = false;
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
        Step& step = replay.steps[FIRST_KEY[bytes[0]] + SECOND_KEY[bytes[1]] + THIRD_KEY[bytes[2]]];
        step.size = static_cast<std::uint8_t>(output.pos - rendered);
        step.advance = static_cast<std::uint8_t>(input.pos - bytes);
        // A vowel consumes only its marks: the last of them may be a tone.
        step.tone =
            VOWELS.find(static_cast<char>(bytes[0])) != std::string_view::npos &&
            TONES.find(static_cast<char>(bytes[step.advance - 1])) != std::string_view::npos &&
            step.advance > 1;
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
              std::memcmp(replay.texts + before.text, rendered, step.size) == 0) {
            step.text = before.text;
            continue;
          }
        }
        std::memcpy(replay.texts + used, rendered, step.size);
        step.text = static_cast<std::uint16_t>(used);
        used += step.size;
      }
  // Only bytes with a turn of their own start a pair the walk looks up.
  for (const char first : FIRST_BYTES)
    for (unsigned second = 0; second < 256; ++second) {
      const unsigned char pair[2] = {static_cast<unsigned char>(first),
                                     static_cast<unsigned char>(second)};
      std::uint16_t at;
      std::memcpy(&at, pair, sizeof at);
      replay.pair_keys[at] = static_cast<std::uint16_t>(FIRST_KEY[pair[0]] + SECOND_KEY[second]);
    }
  replay.third_keys = THIRD_KEY;
  short_steps = true;
  for (const Step& step : replay.steps) short_steps = short_steps && step.size <= SHORT_COPY;
  for (std::size_t key = 0; short_steps && key < STEP_COUNT; ++key)
    if (replay.steps[key].source == 0)
      std::memcpy(replay.short_texts[key], replay.texts + replay.steps[key].text,
                  replay.steps[key].size);
  input = saved_input;
  output = saved_output;
  warnings_on = saved_warnings;
}

namespace {

// The input is walked in windows: a bitmap of the window's own-turn bytes, then the walk.
constexpr std::size_t WINDOW = 4096;

// A byte's turn changes something only where the byte after it belongs to it: a vowel before
// a mark, a d before another d. Any other vowel or d is written as it stands, so it is copied
// with the plain run; only those turns, and every escape, are mapped. The bytes a turn consumes
// are marks, d's and escaped bytes; a mapped byte among them is passed over by the walk.
//
// For warnings the same pass maps where runs of vowels break: at every byte that is neither a
// vowel nor a mark right after a vowel or a mark.
enum TurnBits : std::uint8_t { VowelBit = 1, DBit = 2, EscapeBit = 4, MarkBit = 8, HighBit = 16 };

constexpr std::array<std::uint8_t, 256> turn_bits() {
  std::array<std::uint8_t, 256> bits{};
  for (const char c : VOWELS) bits[static_cast<unsigned char>(c)] |= VowelBit;
  bits['d'] |= DBit;
  bits['D'] |= DBit;
  bits['\\'] |= EscapeBit;
  for (const char c : MARKS) bits[static_cast<unsigned char>(c)] |= MarkBit;
  for (std::size_t b = 0x80; b < 0x100; ++b) bits[b] |= HighBit;
  return bits;
}
constexpr std::array<std::uint8_t, 256> TURN_BITS = turn_bits();

// One class of byte over a map word: a bit for each byte.
struct Classes {
  std::uint64_t vowels, marks, ds, escapes, high, tones, stops;
};

Classes classes(const unsigned char* from, std::size_t bits) {
  Classes c{};
  for (std::size_t b = 0; b < bits; ++b) {
    const unsigned t = TURN_BITS[from[b]];
    c.vowels |= std::uint64_t{(t & VowelBit) != 0} << b;
    c.marks |= std::uint64_t{(t & MarkBit) != 0} << b;
    c.ds |= std::uint64_t{(t & DBit) != 0} << b;
    c.escapes |= std::uint64_t{(t & EscapeBit) != 0} << b;
    c.high |= std::uint64_t{(t & HighBit) != 0} << b;
    c.tones |= std::uint64_t{TONES.find(static_cast<char>(from[b])) != std::string_view::npos} << b;
    c.stops |= std::uint64_t{is_punctuation_tone(from[b])} << b;
  }
  return c;
}

#if defined(__SSE2__)
// Sixteen bytes at a time. Setting bit 5 folds each capital onto its small letter and no other
// byte onto a letter, so six comparisons find the vowels in both cases, and one finds d. The
// classes only warnings need are left out without them.
template <bool for_warnings> Classes classes_sse2(const unsigned char* from) {
  static_assert(VOWELS == "aeiouyAEIOUY" && MARKS == "'`?~.^+(" && TONES == "'`?~.");
  Classes c{};
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part));
    const __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
    __m128i vowel = _mm_setzero_si128();
    for (const char letter : {'a', 'e', 'i', 'o', 'u', 'y'})
      vowel = _mm_or_si128(vowel, _mm_cmpeq_epi8(folded, _mm_set1_epi8(letter)));
    // The marks: the tones that double as punctuation, the other tones, the modifiers.
    const auto is = [&](char m) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(m)); };
    const __m128i stop = _mm_or_si128(_mm_or_si128(is('.'), is('?')), is('\''));
    const __m128i tone = _mm_or_si128(stop, _mm_or_si128(is('`'), is('~')));
    const __m128i mark = _mm_or_si128(tone, _mm_or_si128(_mm_or_si128(is('^'), is('+')), is('(')));
    const auto bits = [&](__m128i hit) {
      return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(hit))} << (16 * part);
    };
    c.vowels |= bits(vowel);
    c.marks |= bits(mark);
    c.ds |= bits(_mm_cmpeq_epi8(folded, _mm_set1_epi8('d')));
    c.escapes |= bits(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')));
    if constexpr (for_warnings) {
      c.high |= bits(bytes);
      c.tones |= bits(tone);
      c.stops |= bits(stop);
    }
  }
  return c;
}
#endif

#if defined(DIASET_AVX2)
// Thirty-two bytes at a time, each byte's classes looked up by its two halves: a class bit is
// set where both its low and its high half allow it. The bytes of each bit are chosen so that
// no other byte has both halves allowed, which the checks below prove for every byte.
constexpr std::string_view NIBBLE_CLASSES[8] = {"AEIOaeio", "UYuy", "'.", "(+", "?", "^", "~", "`"};

struct NibbleTables {
  std::array<std::uint8_t, 16> low, high;
};

constexpr NibbleTables nibble_tables() {
  NibbleTables t{};
  for (unsigned bit = 0; bit < 8; ++bit)
    for (const char c : NIBBLE_CLASSES[bit]) {
      t.low[static_cast<unsigned char>(c) & 15] |= static_cast<std::uint8_t>(1u << bit);
      t.high[static_cast<unsigned char>(c) >> 4] |= static_cast<std::uint8_t>(1u << bit);
    }
  return t;
}
constexpr NibbleTables NIBBLES = nibble_tables();

// The class bits of the groups that make up a set of bytes.
constexpr std::uint8_t nibble_mask(std::string_view set) {
  std::uint8_t mask = 0;
  for (unsigned bit = 0; bit < 8; ++bit)
    if (set.find(NIBBLE_CLASSES[bit][0]) != std::string_view::npos)
      mask |= static_cast<std::uint8_t>(1u << bit);
  return mask;
}

// Whether the mask finds exactly the bytes of the set: below 0x80 by the two halves, and none
// above, as the shuffle gives 0 for a byte with its top bit set.
constexpr bool finds_exactly(std::uint8_t mask, std::string_view set) {
  for (unsigned b = 0; b < 256; ++b) {
    const bool found = b < 0x80 && (NIBBLES.low[b & 15] & NIBBLES.high[b >> 4] & mask) != 0;
    if (found != (set.find(static_cast<char>(b)) != std::string_view::npos)) return false;
  }
  return true;
}
constexpr std::uint8_t VOWEL_MASK = nibble_mask(VOWELS);
constexpr std::uint8_t MARK_MASK = nibble_mask(MARKS);
constexpr std::uint8_t TONE_MASK = nibble_mask(TONES);
constexpr std::uint8_t STOP_MASK = nibble_mask("'.?");
static_assert(finds_exactly(VOWEL_MASK, VOWELS) && finds_exactly(MARK_MASK, MARKS) &&
              finds_exactly(TONE_MASK, TONES) && finds_exactly(STOP_MASK, "'.?"));
static_assert(is_punctuation_tone('\'') && is_punctuation_tone('.') && is_punctuation_tone('?') &&
              !is_punctuation_tone('`') && !is_punctuation_tone('~'));

DIASET_AVX2 inline __m256i nibble_table(const std::array<std::uint8_t, 16>& t) {
  const __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data()));
  return _mm256_broadcastsi128_si256(half);
}

// A bit for each byte of the 32 whose classes meet the mask.
DIASET_AVX2 inline std::uint64_t any_class(__m256i classes, std::uint8_t mask) {
  const __m256i met = _mm256_and_si256(classes, _mm256_set1_epi8(static_cast<char>(mask)));
  const auto none = static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(met, _mm256_setzero_si256())));
  return ~none;
}

DIASET_AVX2 inline std::uint64_t bytes_equal(__m256i bytes, char byte) {
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(byte))));
}

template <bool for_warnings>
DIASET_AVX2 inline Classes classes_avx2(const unsigned char* from, __m256i low, __m256i high) {
  Classes c{};
  for (unsigned half = 0; half < 2; ++half) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32 * half));
    const __m256i upper = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), _mm256_set1_epi8(15));
    const __m256i classes =
        _mm256_and_si256(_mm256_shuffle_epi8(low, bytes), _mm256_shuffle_epi8(high, upper));
    const unsigned at = 32 * half;
    c.vowels |= any_class(classes, VOWEL_MASK) << at;
    c.marks |= any_class(classes, MARK_MASK) << at;
    c.ds |= bytes_equal(_mm256_or_si256(bytes, _mm256_set1_epi8(0x20)), 'd') << at;
    c.escapes |= bytes_equal(bytes, '\\') << at;
    if constexpr (for_warnings) {
      c.high |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes))} << at;
      c.tones |= any_class(classes, TONE_MASK) << at;
      c.stops |= any_class(classes, STOP_MASK) << at;
    }
  }
  return c;
}
#endif

#if defined(DIASET_AVX512)
// The same lookup over a whole map word at once, each class tested straight into a mask.
DIASET_AVX512 inline std::uint64_t any_class(__m512i classes, std::uint8_t mask) {
  return _mm512_test_epi8_mask(classes, _mm512_set1_epi8(static_cast<char>(mask)));
}

template <bool for_warnings>
DIASET_AVX512 inline Classes classes_avx512(const unsigned char* from, __m512i low, __m512i high) {
  const __m512i bytes = _mm512_loadu_si512(from);
  const __m512i upper = _mm512_and_si512(_mm512_srli_epi16(bytes, 4), _mm512_set1_epi8(15));
  const __m512i classes =
      _mm512_and_si512(_mm512_shuffle_epi8(low, bytes), _mm512_shuffle_epi8(high, upper));
  Classes c{};
  c.vowels = any_class(classes, VOWEL_MASK);
  c.marks = any_class(classes, MARK_MASK);
  c.ds =
      _mm512_cmpeq_epi8_mask(_mm512_or_si512(bytes, _mm512_set1_epi8(0x20)), _mm512_set1_epi8('d'));
  c.escapes = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\\'));
  if constexpr (for_warnings) {
    c.high = _mm512_movepi8_mask(bytes);
    c.tones = any_class(classes, TONE_MASK);
    c.stops = any_class(classes, STOP_MASK);
  }
  return c;
}
#endif

// The window's maps: its own turns and, for warnings, the breaks between runs of vowels and the
// tones its vowels took. The byte after the window is read for the turns of its last byte.
std::uint64_t own_turns[WINDOW / 64];
std::uint64_t cluster_breaks[WINDOW / 64];
std::uint64_t taken_tones[WINDOW / 64];

// What the map carries from one word to the next, and finds of the whole window.
struct MapCarry {
  std::uint64_t in_cluster; // whether the word before ended in a vowel or a mark
  std::uint64_t tone_open;  // whether it ended in a run of vowels that took a tone
  std::uint64_t high;       // the bytes past ASCII seen so far
  std::uint64_t second;     // the tones that double as punctuation after another in one run
};

template <bool for_warnings>
inline void map_word(std::size_t word, const Classes& c, const unsigned char* at, std::size_t bits,
                     MapCarry& carry) {
  const unsigned after = TURN_BITS[at[bits]];
  const std::uint64_t last = std::uint64_t{1} << (bits - 1);
  const std::uint64_t marks_next = c.marks >> 1 | ((after & MarkBit) != 0 ? last : 0);
  const std::uint64_t ds_next = c.ds >> 1 | ((after & DBit) != 0 ? last : 0);
  own_turns[word] = (c.vowels & marks_next) | (c.ds & ds_next) | c.escapes;
  if constexpr (!for_warnings) return;
  // The bytes of the word in the window: past its end are no breaks, which would hide a run
  // that goes on past the window.
  const std::uint64_t valid = bits == 64 ? ~std::uint64_t{0} : (last << 1) - 1;
  const std::uint64_t in = c.vowels | c.marks;
  const std::uint64_t breaks = ~(c.vowels | (c.marks & (in << 1 | carry.in_cluster))) & valid;
  cluster_breaks[word] = breaks;
  carry.in_cluster = in >> 63;
  carry.high |= c.high;
  // The tones a vowel took: right after it, or after its modifier.
  const std::uint64_t modifiers = ~c.tones & ~breaks & ~c.vowels;
  const std::uint64_t taken = c.tones & (c.vowels << 1 | (modifiers & c.vowels << 1) << 1);
  taken_tones[word] = taken;
  // The bytes after a tone in the same run: adding the tones to the run's bits carries each
  // first tone through the rest of its run and out at the break after it, so the sum differs
  // from the run exactly there. A run with a tone that reaches past the word carries out of it.
  const std::uint64_t run = ~breaks & valid;
  const std::uint64_t sum = run + taken, total = sum + carry.tone_open;
  const std::uint64_t after_tone = (total ^ run ^ taken) & run;
  carry.second |= c.stops & taken & after_tone;
  carry.tone_open = (sum < run) | (total < sum);
}

// Whether the byte before the window was a vowel or a mark; not at hand counts as a break. And
// whether the run it ends took a tone.
MapCarry map_start(const unsigned char* from) {
  const bool in_cluster = from > input.start && IN_CLUSTERS[from[-1]];
  const bool tone_open = tone_word.last_tone_end > tone_word.last_break;
  return MapCarry{in_cluster ? 1u : 0u, tone_open ? 1u : 0u, 0, 0};
}

// The words from this one on, a byte at a time: the part of a word at the window's end.
template <bool for_warnings>
void map_rest(std::size_t word, const unsigned char* from, std::size_t size, MapCarry& carry) {
  for (; word * 64 < size; ++word) {
    const std::size_t bits = std::min<std::size_t>(size - word * 64, 64);
    map_word<for_warnings>(word, classes(from + word * 64, bits), from + word * 64, bits, carry);
  }
}

template <bool for_warnings>
MapCarry map_window_narrow(const unsigned char* from, std::size_t size) {
  MapCarry carry = map_start(from);
  std::size_t word = 0;
#if defined(__SSE2__)
  for (; word * 64 + 64 <= size; ++word)
    map_word<for_warnings>(word, classes_sse2<for_warnings>(from + word * 64), from + word * 64, 64,
                           carry);
#endif
  map_rest<for_warnings>(word, from, size, carry);
  return carry;
}

#if defined(DIASET_AVX2)
template <bool for_warnings>
DIASET_AVX2 MapCarry map_window_wide(const unsigned char* from, std::size_t size) {
  MapCarry carry = map_start(from);
  const __m256i low = nibble_table(NIBBLES.low), high = nibble_table(NIBBLES.high);
  std::size_t word = 0;
  for (; word * 64 + 64 <= size; ++word)
    map_word<for_warnings>(word, classes_avx2<for_warnings>(from + word * 64, low, high),
                           from + word * 64, 64, carry);
  map_rest<for_warnings>(word, from, size, carry);
  return carry;
}
#endif

#if defined(DIASET_AVX512)
// The nibble tables once for each 128-bit lane, as the shuffles look up within lanes.
struct NibbleTablesX4 {
  std::array<std::uint8_t, 64> low, high;
};

constexpr NibbleTablesX4 nibble_tables_x4() {
  NibbleTablesX4 t{};
  for (std::size_t i = 0; i < 64; ++i) {
    t.low[i] = NIBBLES.low[i % 16];
    t.high[i] = NIBBLES.high[i % 16];
  }
  return t;
}
constexpr NibbleTablesX4 NIBBLES_X4 = nibble_tables_x4();

template <bool for_warnings>
DIASET_AVX512 MapCarry map_window_widest(const unsigned char* from, std::size_t size) {
  MapCarry carry = map_start(from);
  const __m512i low = _mm512_loadu_si512(NIBBLES_X4.low.data());
  const __m512i high = _mm512_loadu_si512(NIBBLES_X4.high.data());
  std::size_t word = 0;
  for (; word * 64 + 64 <= size; ++word)
    map_word<for_warnings>(word, classes_avx512<for_warnings>(from + word * 64, low, high),
                           from + word * 64, 64, carry);
  map_rest<for_warnings>(word, from, size, carry);
  return carry;
}
#endif

// For warnings: where the window's last break stands and its last tone ends, as addresses; 0
// for none.
struct WindowMap {
  bool high;            // a byte past ASCII
  bool may_hold_second; // a second tone in one run: only then are the tones followed one by one
  std::uintptr_t last_break;
  std::uintptr_t last_tone_end;
};

// The highest bit set over a window's map words, as the address of its byte; 0 for none.
std::uintptr_t last_of(const std::uint64_t* words, const unsigned char* from, std::size_t size,
                       unsigned after) {
  for (std::size_t word = (size + 63) / 64; word-- > 0;)
    if (words[word] != 0)
      return address(from + word * 64) + 64 - static_cast<unsigned>(std::countl_zero(words[word])) -
             1 + after;
  return 0;
}

template <bool for_warnings> MapCarry map_chosen(const unsigned char* from, std::size_t size) {
#if defined(DIASET_AVX512)
  if (widest_vectors) return map_window_widest<for_warnings>(from, size);
#endif
#if defined(DIASET_AVX2)
  if (wide_vectors) return map_window_wide<for_warnings>(from, size);
#endif
  return map_window_narrow<for_warnings>(from, size);
}

// Maps a window.
template <bool for_warnings> WindowMap map_window(const unsigned char* from, std::size_t size) {
  const MapCarry carry = map_chosen<for_warnings>(from, size);
  if constexpr (!for_warnings) return WindowMap{};
  return WindowMap{carry.high != 0, carry.second != 0, last_of(cluster_breaks, from, size, 0),
                   last_of(taken_tones, from, size, 1)};
}

// The last break in a map word below a bit (64: in the whole word), or the one before the word.
std::uintptr_t last_break(const unsigned char* base, std::uint64_t breaks, unsigned bit,
                          std::uintptr_t before) {
  const std::uint64_t below = bit < 64 ? breaks & ((std::uint64_t{1} << bit) - 1) : breaks;
  const std::uintptr_t at = address(base) + 63 - static_cast<unsigned>(std::countl_zero(below));
  return below != 0 ? at : before;
}

// The tones that double as punctuation, by byte.
constexpr std::array<bool, 256> punctuation_tones() {
  std::array<bool, 256> is{};
  for (const char c : TONES) is[static_cast<unsigned char>(c)] = is_punctuation_tone(c);
  return is;
}
constexpr std::array<bool, 256> PUNCTUATION_TONE = punctuation_tones();

// What the walk checks of a window for warnings: nothing, the escapes, or the escapes and every
// tone.
enum class Checks { None, Escapes, Tones };

struct Walk {
  const unsigned char* plain; // the first byte not yet written
  char* out;
  const unsigned char* last_turn; // the window's last turn, or null
};

// Room for a plain run and the longest turn after it, with the copies' spare bytes.
void make_room(Walk& walk, std::size_t run) {
  if (output.end - walk.out >= static_cast<std::ptrdiff_t>(run + PLAIN_COPY + MAX_STEP_SIZE))
    return;
  output.pos = walk.out;
  drain_output();
  walk.out = output.pos;
}

// A warning drains the output first, so that it follows what was written before it.
char* warn_at_turn(char* out, const unsigned char* turn, bool escape, bool second,
                   const unsigned char* plain) {
  output.pos = out;
  if (escape) check_escape(turn);
  if (second) warn_second_tone(turn, plain);
  return output.pos;
}

struct Replayed {
  std::size_t key;
  Step step;
};

// One turn: the plain run before it, then its step. COPY is how many bytes a step's copy takes:
// STEP_COPY, or SHORT_COPY where every step is that short.
// The step of the turn at a byte.
inline std::size_t step_key(const unsigned char* turn) {
  std::uint16_t pair;
  std::memcpy(&pair, turn, sizeof pair);
  return std::size_t{replay.pair_keys[pair]} + replay.third_keys[turn[2]];
}

template <std::size_t COPY>
[[gnu::always_inline]] inline Replayed replay_turn(const unsigned char* turn,
                                                   const unsigned char*& plain, char*& out) {
  out = copy_plain(out, plain, static_cast<std::size_t>(turn - plain));
  const std::size_t key = step_key(turn);
  // A copy, read before the stores through `out`, which could alias the table.
  const Step step = replay.steps[key];
  if constexpr (COPY == SHORT_COPY) {
    const char* from = replay.short_texts[key];
    if (step.source != 0) [[unlikely]]
      from = reinterpret_cast<const char*>(turn) + step.text;
    std::memcpy(out, from, COPY);
  } else {
    const char* const from =
        (step.source != 0 ? reinterpret_cast<const char*>(turn) : replay.texts) + step.text;
    std::memcpy(out, from, COPY);
    if (step.size > COPY) std::memcpy(out + COPY, from + COPY, MAX_STEP_SIZE - COPY);
  }
  out += step.size;
  plain = turn + step.advance;
  return Replayed{key, step};
}

// The rest of a window is plain.
void finish_window(Walk& walk, const unsigned char* plain, char* out,
                   const unsigned char* window_end, const unsigned char* last_turn) {
  walk.out = out;
  if (plain < window_end) {
    const auto run = static_cast<std::size_t>(window_end - plain);
    make_room(walk, run);
    walk.out = copy_plain(walk.out, plain, run);
    plain = window_end;
  }
  walk.plain = plain;
  walk.last_turn = last_turn;
}

// The walk a map word at a time.
template <Checks checks, std::size_t COPY>
[[gnu::always_inline]] inline void walk_words(Walk& walk, const unsigned char* window,
                                              std::size_t size) {
  // The walk's state in locals, which the stores through `out` cannot alias.
  const unsigned char* plain = walk.plain;
  char* out = walk.out;
  const unsigned char* last_turn = nullptr;
  std::uintptr_t break_before = tone_word.last_break; // the last break before the map word
  std::uintptr_t tone_end = tone_word.last_tone_end;
  for (std::size_t w = 0; w * 64 < size; ++w) {
    const unsigned char* const base = window + w * 64;
    // Room once a map word, for the plain bytes up to its end and a longest turn at each byte.
    if (own_turns[w] != 0 && plain < base + 64) {
      walk.out = out;
      make_room(walk, static_cast<std::size_t>(base + 64 - plain) + 64 * MAX_STEP_SIZE);
      out = walk.out;
    }
    for (std::uint64_t map = own_turns[w]; map != 0; map &= map - 1) {
      const unsigned char* const turn = base + static_cast<unsigned>(std::countr_zero(map));
      // The turn before consumed it: an escaped byte, or the second of a doubled d.
      if (turn < plain) continue;
      const Replayed r = replay_turn<COPY>(turn, plain, out);
      if constexpr (checks == Checks::None) continue;
      last_turn = turn;
      // Without a branch on whether the step took a tone: that is too even to predict.
      bool second = false;
      if constexpr (checks == Checks::Tones) {
        const std::uintptr_t since =
            last_break(base, cluster_breaks[w], static_cast<unsigned>(turn - base), break_before);
        second = (r.step.tone != 0) & (tone_end > since) & PUNCTUATION_TONE[plain[-1]];
        tone_end = r.step.tone != 0 ? address(plain) : tone_end;
      }
      if (r.step.source != 0 || second)
        out = warn_at_turn(out, turn, r.step.source != 0, second, plain);
    }
    if constexpr (checks == Checks::Tones)
      break_before = last_break(base, cluster_breaks[w], 64, break_before);
  }
  if constexpr (checks == Checks::Tones) tone_word.last_break = break_before;
  if constexpr (checks == Checks::Tones) tone_word.last_tone_end = tone_end;
  finish_window(walk, plain, out, window + size, last_turn);
}

#if defined(DIASET_AVX512)
// The window's turns, as offsets from its start, listed before the walk.
std::uint16_t turn_offsets[WINDOW + 32];

// The walk over a list of the window's turns. A walk a map word at a time leaves its inner loop
// after an unforeseeable number of turns, once a word, where this leaves one after a fixed
// batch of them.
template <Checks checks, std::size_t COPY>
DIASET_AVX512 void walk_list(Walk& walk, const unsigned char* window, std::size_t size) {
  static_assert(checks != Checks::Tones, "the second tones are found a map word at a time");
  const std::size_t count = list_bits(own_turns, size, turn_offsets);
  const unsigned char* plain = walk.plain;
  char* out = walk.out;
  const unsigned char* last_turn = nullptr;
  for (std::size_t first = 0; first < count; first += TURN_BATCH) {
    const std::size_t end = std::min(count, first + TURN_BATCH);
    // Room for the plain bytes up to the batch's last turn and a longest step at each turn.
    const unsigned char* const batch_end = window + turn_offsets[end - 1];
    walk.out = out;
    make_room(walk, static_cast<std::size_t>(std::max(batch_end - plain, std::ptrdiff_t{0})) +
                        TURN_BATCH * MAX_STEP_SIZE);
    out = walk.out;
    for (std::size_t i = first; i < end; ++i) {
      const unsigned char* const turn = window + turn_offsets[i];
      if (turn < plain) continue;
      const Replayed r = replay_turn<COPY>(turn, plain, out);
      if constexpr (checks == Checks::None) continue;
      last_turn = turn;
      if (r.step.source != 0) [[unlikely]]
        out = warn_at_turn(out, turn, true, false, plain);
    }
  }
  finish_window(walk, plain, out, window + size, last_turn);
}
#endif

// The walk, built for the processor at hand: with AVX2 come BMI's one-instruction bit steps.
template <Checks checks, std::size_t COPY>
void walk_narrow(Walk& walk, const unsigned char* window, std::size_t size) {
  walk_words<checks, COPY>(walk, window, size);
}

#if defined(DIASET_AVX2)
template <Checks checks, std::size_t COPY>
DIASET_AVX2 void walk_wide(Walk& walk, const unsigned char* window, std::size_t size) {
  walk_words<checks, COPY>(walk, window, size);
}
#endif

template <Checks checks, std::size_t COPY>
void walk_window(Walk& walk, const unsigned char* window, std::size_t size) {
#if defined(DIASET_AVX512)
  if constexpr (checks != Checks::Tones)
    if (widest_vectors) return walk_list<checks, COPY>(walk, window, size);
#endif
#if defined(DIASET_AVX2)
  if (wide_vectors) return walk_wide<checks, COPY>(walk, window, size);
#endif
  walk_narrow<checks, COPY>(walk, window, size);
}

} // namespace

// A turn that took its tone past the window's end: a second tone in one run if a tone was taken
// since the last break. Returns where the output goes on.
char* end_past_window(const Walk& walk) {
  const bool second =
      tone_word.last_tone_end > tone_word.last_break && is_punctuation_tone(walk.plain[-1]);
  char* const out =
      second ? warn_at_turn(walk.out, walk.last_turn, false, true, walk.plain) : walk.out;
  tone_word.last_tone_end = address(walk.plain);
  return out;
}

void replay_steps() {
  // A turn reads the two bytes after its own and may copy a whole copy's worth of input from the
  // byte after it; a plain run's first copy reads PLAIN_COPY bytes.
  if (input.end - input.pos <= static_cast<std::ptrdiff_t>(STEP_COPY)) return;
  const unsigned char* const last = input.end - STEP_COPY - 1;
  Walk walk{input.pos, output.pos, nullptr};
  while (walk.plain <= last) {
    const unsigned char* const window = walk.plain;
    const auto size = std::min(WINDOW, static_cast<std::size_t>(last - window) + 1);
    if (!warnings_on) {
      map_window<false>(window, size);
      if (short_steps)
        walk_window<Checks::None, SHORT_COPY>(walk, window, size);
      else
        walk_window<Checks::None, STEP_COPY>(walk, window, size);
      continue;
    }
    const WindowMap map = map_window<true>(window, size);
    if (map.may_hold_second) {
      walk_window<Checks::Tones, STEP_COPY>(walk, window, size);
    } else {
      if (short_steps)
        walk_window<Checks::Escapes, SHORT_COPY>(walk, window, size);
      else
        walk_window<Checks::Escapes, STEP_COPY>(walk, window, size);
      // The window's last break and last tone; then those of its last turn, if it took a tone
      // past the window's end, where the map did not look.
      if (map.last_break != 0) tone_word.last_break = map.last_break;
      if (map.last_tone_end != 0) tone_word.last_tone_end = map.last_tone_end;
      if (walk.plain > window + size && replay.steps[step_key(walk.last_turn)].tone != 0)
        walk.out = end_past_window(walk);
    }
    // After the window's output, as the other warnings come after what was written before them.
    if (map.high) {
      output.pos = walk.out;
      check_utf8(window, size + 1);
      walk.out = output.pos;
    }
  }
  input.pos = walk.plain;
  output.pos = walk.out;
}

} // namespace diaset
