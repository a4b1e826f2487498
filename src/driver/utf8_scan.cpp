#include "driver/utf8_scan.hpp"

#include "cpu/cpu.hpp"
#include "driver/replay.hpp"
#include "driver/scan.hpp"
#include "render/glyph.hpp"
#include "render/vowel.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "utf8/utf8.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(DIASET_AVX512)
#include <immintrin.h>
#endif

namespace diaset {

namespace {

bool is_continuation(int byte) { return byte >= 0x80 && byte <= 0xBF; }

// What is written for each letter, made once for the letter form in force by the same code that
// writes the letter typed in VIQR, so that the two cannot differ.
struct LetterText {
  unsigned char size;
  char bytes[159];
};

LetterText letter_texts[LETTER_COUNT];

void prepare_letter_texts() {
  const Output saved = output;
  for (std::size_t i = 0; i < LETTER_COUNT; ++i) {
    LetterText& text = letter_texts[i];
    output = Output{text.bytes, text.bytes + sizeof text.bytes};
    const Letter& l = LETTERS[i];
    if (l.modifier == '-')
      write_crossed_d(l.base);
    else
      write_letter(l.base, l.modifier, l.tone);
    text.size = static_cast<unsigned char>(output.pos - text.bytes);
  }
  output = saved;
}

void put_letter(int letter) {
  const LetterText& text = letter_texts[static_cast<std::size_t>(letter)];
  put_text(text.bytes, text.size);
}

// The bytes read for one letter, to be written back as they came if they make no letter: a base
// of at most three bytes and two marks of two; a third mark spoils any letter.
struct Reading {
  unsigned char bytes[8];
  int size;
};

void keep(Reading& r, int byte) { r.bytes[r.size++] = static_cast<unsigned char>(byte); }
void put_reading(const Reading& r) {
  put_text(reinterpret_cast<const char*>(r.bytes), static_cast<std::size_t>(r.size));
}

// Reads the run of combining marks after a base whose vowel carries a modifier and a tone
// already (each 0 for none), and writes the letter they make, or all of it as it came.
void letter_with_marks(Reading& r, int vowel, int modifier, int tone) {
  for (;;) {
    const int lead = peek_byte();
    if (lead != 0xCC && lead != 0xCD) break;
    take_byte();
    const char mark = combining_mark(lead, peek_byte());
    if (mark == 0) {
      // A character that is not one of the marks ends the run; its lead goes after the letter.
      if (modifier == 0 && tone == 0)
        put_reading(r);
      else
        write_letter(vowel, modifier, tone);
      return put_byte(lead);
    }
    keep(r, lead);
    keep(r, take_byte());
    const bool is_tone = member(TONE_INDEX, mark) >= 0;
    if (is_tone ? tone != 0 : modifier != 0 || letter_of(vowel, mark, 0) < 0) {
      // No letter: what was read goes out as it came, and the rest of the run after it is
      // copied by the scan loop.
      return put_reading(r);
    }
    (is_tone ? tone : modifier) = mark;
  }
  if (modifier == 0 && tone == 0) return put_reading(r);
  put_letter(letter_of(vowel, modifier, tone));
}

// A character of two or three bytes: a letter, or bytes copied as they came.
void letter_or_other(Reading& r) {
  const int lead = r.bytes[0];
  const int length = lead >= 0xE0 ? 3 : 2;
  for (int i = 1; i < length; ++i) {
    const int next = peek_byte();
    if (!is_continuation(next) || (lead == 0xE1 && i == 1 && next != 0xBA && next != 0xBB))
      return put_reading(r);
    keep(r, take_byte());
  }
  char32_t code = static_cast<char32_t>(lead & (length == 3 ? 0x0F : 0x1F));
  for (int i = 1; i < length; ++i) code = code << 6 | (r.bytes[i] & 0x3Fu);
  const int letter = letter_of_code(code);
  if (letter < 0) return put_reading(r);
  const Letter& l = LETTERS[static_cast<std::size_t>(letter)];
  // The crossed d is a letter by itself; a mark after it is not its own.
  if (l.modifier == '-') return put_letter(letter);
  letter_with_marks(r, l.base, l.modifier, l.tone);
}

// The bytes that may begin a letter: an ASCII vowel, and the leads of the precomposed letters,
// U+00C0 to U+01BF and U+1EA0 to U+1EFF.
enum Start : unsigned char { Other, Vowel, Lead };

constexpr std::array<Start, 256> starts() {
  std::array<Start, 256> start{};
  for (const char c : VOWELS) start[static_cast<unsigned char>(c)] = Vowel;
  for (const int lead : {0xC3, 0xC4, 0xC5, 0xC6, 0xE1})
    start[static_cast<std::size_t>(lead)] = Lead;
  return start;
}

constexpr std::array<Start, 256> START = starts();

} // namespace

void scan_utf8_byte(int byte) {
  Reading r{{}, 0};
  keep(r, byte);
  switch (START[static_cast<unsigned char>(byte)]) {
  case Vowel: return letter_with_marks(r, byte, 0, 0);
  case Lead: return letter_or_other(r);
  case Other: return put_byte(byte);
  }
}

namespace {

// The fast path maps, a window at a time, the bytes that may begin a letter: a lead of a
// precomposed letter, or a vowel before a combining mark's lead. Everything between is copied in
// runs; each mapped byte takes its turn on the byte-by-byte path, which reads on as it needs.
constexpr std::size_t WINDOW = 4096;
constexpr std::size_t AHEAD = 16; // bytes past a window's last that its map looks at
std::uint64_t letter_starts[WINDOW / 64];

std::uint64_t map_word(const unsigned char* from, std::size_t bits) {
  std::uint64_t map = 0;
  for (std::size_t b = 0; b < bits; ++b) {
    const Start s = START[from[b]];
    const bool starts = s == Lead || (s == Vowel && (from[b + 1] | 1) == 0xCD);
    map |= std::uint64_t{starts} << b;
  }
  return map;
}

#if defined(__SSE2__)
std::uint64_t map_word_sse2(const unsigned char* from) {
  static_assert(VOWELS == "aeiouyAEIOUY");
  std::uint64_t map = 0;
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part + 1));
    // 0xC3 to 0xC6: four bytes from 0xC3, found by an unsigned minimum.
    const __m128i low = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(0xC3)));
    __m128i hit = _mm_cmpeq_epi8(_mm_min_epu8(low, _mm_set1_epi8(3)), low);
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(0xE1))));
    const __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
    __m128i vowel = _mm_setzero_si128();
    for (const char letter : {'a', 'e', 'i', 'o', 'u', 'y'})
      vowel = _mm_or_si128(vowel, _mm_cmpeq_epi8(folded, _mm_set1_epi8(letter)));
    const __m128i mark_lead = _mm_cmpeq_epi8(_mm_or_si128(next, _mm_set1_epi8(1)),
                                             _mm_set1_epi8(static_cast<char>(0xCD)));
    hit = _mm_or_si128(hit, _mm_and_si128(vowel, mark_lead));
    map |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << 16 * part;
  }
  return map;
}
#endif

#if defined(DIASET_AVX512)
// The same over a whole word at once, each test straight into a mask.
DIASET_AVX512 void map_letter_starts_wide(const unsigned char* from, std::size_t size) {
  static_assert(VOWELS == "aeiouyAEIOUY");
  std::size_t word = 0;
  for (; word * 64 + 64 <= size; ++word) {
    const __m512i bytes = _mm512_loadu_si512(from + word * 64);
    const __m512i next = _mm512_loadu_si512(from + word * 64 + 1);
    const __m512i low = _mm512_sub_epi8(bytes, _mm512_set1_epi8(static_cast<char>(0xC3)));
    const std::uint64_t leads =
        _mm512_cmple_epu8_mask(low, _mm512_set1_epi8(3)) |
        _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(static_cast<char>(0xE1)));
    const __m512i folded = _mm512_or_si512(bytes, _mm512_set1_epi8(0x20));
    std::uint64_t vowels = 0;
    for (const char letter : {'a', 'e', 'i', 'o', 'u', 'y'})
      vowels |= _mm512_cmpeq_epi8_mask(folded, _mm512_set1_epi8(letter));
    const std::uint64_t mark_leads = _mm512_cmpeq_epi8_mask(
        _mm512_or_si512(next, _mm512_set1_epi8(1)), _mm512_set1_epi8(static_cast<char>(0xCD)));
    letter_starts[word] = leads | (vowels & mark_leads);
  }
  for (; word * 64 < size; ++word)
    letter_starts[word] = map_word(from + word * 64, std::min<std::size_t>(size - word * 64, 64));
}
#endif

void map_letter_starts(const unsigned char* from, std::size_t size) {
#if defined(DIASET_AVX512)
  if (widest_vectors) return map_letter_starts_wide(from, size);
#endif
  for (std::size_t word = 0; word * 64 < size; ++word) {
    const std::size_t bits = std::min<std::size_t>(size - word * 64, 64);
#if defined(__SSE2__)
    if (bits == 64) {
      letter_starts[word] = map_word_sse2(from + word * 64);
      continue;
    }
#endif
    letter_starts[word] = map_word(from + word * 64, bits);
  }
}

// The precomposed letter at a mapped byte, when no mark follows it; NO_LETTER where the bytes
// make no letter, and MAYBE for the byte-by-byte path to read.
constexpr int NO_LETTER = -1;
constexpr int MAYBE = -2;

int whole_letter(const unsigned char* at) {
  char32_t code = 0;
  const unsigned char* after = at + 2;
  if (at[0] == 0xE1) {
    if ((at[1] != 0xBA && at[1] != 0xBB) || !is_continuation(at[2])) return NO_LETTER;
    code = 0x1000 | (at[1] & 0x3Fu) << 6 | (at[2] & 0x3Fu);
    after = at + 3;
  } else if (at[0] >= 0xC3 && at[0] <= 0xC6) {
    if (!is_continuation(at[1])) return NO_LETTER;
    code = (at[0] & 0x1Fu) << 6 | (at[1] & 0x3Fu);
  } else {
    return MAYBE; // a vowel before a mark
  }
  const int letter = letter_of_code(code);
  if (letter < 0) return NO_LETTER;
  return (after[0] | 1) == 0xCD && LETTERS[static_cast<std::size_t>(letter)].modifier != '-'
             ? MAYBE
             : letter;
}

// Room for a plain run and a longest letter after each of the next starts, with the copies'
// spare bytes.
char* make_room(char* out, std::size_t run, std::size_t starts) {
  if (output.end - out >=
      static_cast<std::ptrdiff_t>(run + PLAIN_COPY + starts * sizeof(LetterText)))
    return out;
  output.pos = out;
  drain_output();
  return output.pos;
}

// One mapped byte: the plain run before it and its letter, or nothing where it makes none.
[[gnu::always_inline]] inline void take_start(const unsigned char* start,
                                              const unsigned char*& plain, char*& out) {
  // The letter before read it, as one of its own bytes or one it found no letter in.
  if (start < plain) return;
  // Most letters are precomposed, with no mark after them: read here, in memory.
  const int letter = whole_letter(start);
  if (letter == NO_LETTER) return; // no letter: copied with the run
  out = copy_plain(out, plain, static_cast<std::size_t>(start - plain));
  if (letter >= 0) {
    const LetterText& text = letter_texts[static_cast<std::size_t>(letter)];
    std::memcpy(out, text.bytes, 16);
    if (text.size > 16) std::memcpy(out + 16, text.bytes + 16, sizeof text.bytes - 16);
    out += text.size;
    plain = start + (start[0] == 0xE1 ? 3 : 2);
    return;
  }
  output.pos = out;
  input.pos = start + 1;
  scan_utf8_byte(*start);
  out = output.pos;
  plain = input.pos;
}

// The starts a map word at a time.
void walk_words(const unsigned char* window, std::size_t size, const unsigned char*& plain,
                char*& out) {
  for (std::size_t word = 0; word * 64 < size; ++word) {
    const unsigned char* const base = window + word * 64;
    if (letter_starts[word] != 0 && plain < base + 64)
      out = make_room(out, static_cast<std::size_t>(base + 64 - plain), 64);
    for (std::uint64_t map = letter_starts[word]; map != 0; map &= map - 1)
      take_start(base + std::countr_zero(map), plain, out);
  }
}

#if defined(DIASET_AVX512)
std::uint16_t start_offsets[WINDOW + 32];

// The starts from a list, in batches, so that the loops end where foreseen.
DIASET_AVX512 void walk_list(const unsigned char* window, std::size_t size,
                             const unsigned char*& plain, char*& out) {
  const std::size_t count = list_bits(letter_starts, size, start_offsets);
  for (std::size_t first = 0; first < count; first += TURN_BATCH) {
    const std::size_t end = std::min(count, first + TURN_BATCH);
    const unsigned char* const batch_end = window + start_offsets[end - 1];
    out = make_room(out, static_cast<std::size_t>(std::max(batch_end - plain, std::ptrdiff_t{0})),
                    TURN_BATCH);
    for (std::size_t i = first; i < end; ++i) take_start(window + start_offsets[i], plain, out);
  }
}
#endif

// Walks the block at hand from letter to letter, and returns where fewer than a map's worth of
// bytes are left. A turn reads at most ten bytes: a base of three, two marks, and a third mark
// that spoils the letter, or the lead of a character that is no mark; so a turn mapped here
// never reads past the block.
void walk_letters() {
  const unsigned char* const block_end = input.end;
  char* out = output.pos;
  while (block_end - input.pos > static_cast<std::ptrdiff_t>(AHEAD + PLAIN_COPY)) {
    const unsigned char* const window = input.pos;
    const auto size =
        std::min(WINDOW, static_cast<std::size_t>(block_end - window) - AHEAD - PLAIN_COPY);
    map_letter_starts(window, size);
    const unsigned char* plain = window;
#if defined(DIASET_AVX512)
    if (widest_vectors)
      walk_list(window, size, plain, out);
    else
#endif
      walk_words(window, size, plain, out);
    const unsigned char* const window_end = window + size;
    if (plain < window_end) {
      const auto run = static_cast<std::size_t>(window_end - plain);
      out = make_room(out, run, 0);
      out = copy_plain(out, plain, run);
      plain = window_end;
    }
    input.pos = plain;
  }
  output.pos = out;
}

} // namespace

void scan_utf8_input() {
  static LetterForm prepared_for;
  static bool prepared = false;
  if (!prepared || prepared_for != letter_form) prepare_letter_texts();
  prepared = true;
  prepared_for = letter_form;
  for (;;) {
    walk_letters();
    const int byte = take_byte();
    if (byte < 0) break;
    scan_utf8_byte(byte);
  }
}

} // namespace diaset
