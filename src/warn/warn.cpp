#include "warn/warn.hpp"

#include "cpu/cpu.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "utf8/utf8.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(DIASET_AVX2)
#include <immintrin.h>
#endif

namespace diaset {

bool warnings_on = false;
std::FILE* warning_stream = stderr;
Word tone_word;

namespace {

const char* file_name;
unsigned long long lines;       // newlines before line_mark
const unsigned char* line_mark; // where the lines were counted up to; null: the block's start
bool utf8_told;

#if defined(DIASET_AVX2)
// Thirty-two bytes at a time: each newline subtracts the all-ones of its comparison from a
// byte's count, and the counts are summed before any can pass 255.
DIASET_AVX2 unsigned long long count_lines_wide(const unsigned char*& from,
                                                const unsigned char* to) {
  const __m256i newline = _mm256_set1_epi8('\n'), zero = _mm256_setzero_si256();
  __m256i sums = zero;
  while (to - from >= 32) {
    const std::ptrdiff_t rounds = std::min<std::ptrdiff_t>((to - from) / 32, 255);
    __m256i counts = zero;
    for (std::ptrdiff_t r = 0; r < rounds; ++r, from += 32) {
      const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
      counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(bytes, newline));
    }
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(counts, zero));
  }
  const __m128i half =
      _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  return static_cast<unsigned long long>(_mm_cvtsi128_si64(half)) +
         static_cast<unsigned long long>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
}
#endif

// The newlines from one place to another: every block's are counted, so many at a time.
unsigned long long count_lines(const unsigned char* from, const unsigned char* to) {
  unsigned long long count = 0;
#if defined(DIASET_AVX2)
  if (wide_vectors) count += count_lines_wide(from, to);
#endif
#if defined(__SSE2__)
  // Each newline as a 1 in its byte, summed by the sum of absolute differences from zero.
  const __m128i newline = _mm_set1_epi8('\n'), one = _mm_set1_epi8(1);
  __m128i sums = _mm_setzero_si128();
  for (; to - from >= 16; from += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i ones = _mm_and_si128(_mm_cmpeq_epi8(bytes, newline), one);
    sums = _mm_add_epi64(sums, _mm_sad_epu8(ones, _mm_setzero_si128()));
  }
  count += static_cast<unsigned long long>(_mm_cvtsi128_si64(sums)) +
           static_cast<unsigned long long>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
#endif
  return count + static_cast<unsigned long long>(std::count(from, to, '\n'));
}

// Warnings go after the output written so far, for a reader who merges the two.
void warn_on(unsigned long long line, const char* what, const char* how) {
  drain_output();
  std::fprintf(warning_stream, "diaset: %s:%llu: warning: %s; %s\n", file_name, line, what, how);
}

bool shown_in_word(unsigned char byte) {
  return IN_CLUSTERS[byte] || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// The word before a vowel, as far as it is at hand, and the vowel.
struct Held {
  bool open;
  unsigned long long line;
  int size;
  char text[48];
};

Held held;

void hold_word(Held& h, const unsigned char* vowel) {
  const unsigned char* from = vowel;
  while (from > input.start && shown_in_word(from[-1]) && vowel - from < 40) --from;
  h.size = static_cast<int>(vowel + 1 - from);
  std::copy(from, vowel + 1, h.text);
  h.line = line_of(vowel);
}

void warn_second_tone(const Held& h, int tone, const char* marks) {
  char what[120];
  std::snprintf(what, sizeof what, "a second tone mark in one word: \"%.*s%s%c\"", h.size, h.text,
                marks, tone);
  char how[40];
  std::snprintf(how, sizeof how, "write \\%c for a literal mark", tone);
  warn_on(h.line, what, how);
}

void describe_escape(int escaped, unsigned long long line) {
  char what[80], how[100];
  if (escaped >= 0x20 && escaped < 0x7F) {
    std::snprintf(what, sizeof what, "\"\\%c\" is written \"%c\": the backslash protects nothing",
                  escaped, escaped);
    std::snprintf(how, sizeof how, "write a troff escape with a doubled backslash, \"\\\\%c\"",
                  escaped);
  } else {
    std::snprintf(what, sizeof what, "a backslash before byte %d protects nothing", escaped);
    std::snprintf(how, sizeof how, "write a troff escape with a doubled backslash");
  }
  warn_on(line, what, how);
}

} // namespace

unsigned long long line_of(const unsigned char* at) {
  if (line_mark == nullptr) line_mark = input.start;
  // A place before the mark, as where UTF-8 was found ahead of a warning before it.
  if (at < line_mark) return lines + 1 - count_lines(at, line_mark);
  lines += count_lines(line_mark, at);
  line_mark = at;
  return lines + 1;
}

void start_warnings(const char* file) {
  file_name = file;
  lines = 0;
  line_mark = nullptr;
  utf8_told = false;
  tone_word = Word{0, 0};
}

void block_ends() {
  lines += count_lines(line_mark != nullptr ? line_mark : input.start, input.end);
  line_mark = nullptr;
  // Only the order of the two is kept: is the word of the last tone still going on?
  const bool open = tone_word.last_tone_end > tone_word.last_break;
  tone_word = Word{0, open ? 1u : 0u};
}

void warn_second_tone(const unsigned char* vowel, const unsigned char* end) {
  Held h;
  hold_word(h, vowel);
  // The marks between the vowel and its tone: a modifier, if any.
  const std::string_view marks(reinterpret_cast<const char*>(vowel + 1),
                               static_cast<std::size_t>(end - vowel - 2));
  warn_second_tone(h, end[-1], std::string(marks).c_str());
}

void check_escape(const unsigned char* backslash) {
  const int before = backslash > input.start ? backslash[-1] : -1;
  if (!protects(before, backslash[1])) describe_escape(backslash[1], line_of(backslash));
}

void check_escaped(int before, int escaped, unsigned long long line) {
  if (!protects(before, escaped)) describe_escape(escaped, line);
}

void note_byte(const unsigned char* at) {
  // A vowel comes here, its marks do not: any other byte breaks the cluster.
  if (VOWELS.find(static_cast<char>(*at)) == std::string_view::npos)
    tone_word.last_break = address(at);
  if (*at >= 0xC3 && input.end - at >= 2) check_utf8(at, 2);
}

void hold_vowel(const unsigned char* vowel) {
  held.open = tone_word.last_tone_end > tone_word.last_break;
  if (held.open) hold_word(held, vowel);
}

void note_held_tone(int modifier, int tone, const unsigned char* end) {
  const char marks[2] = {static_cast<char>(modifier), '\0'};
  if (held.open && is_punctuation_tone(tone)) warn_second_tone(held, tone, marks);
  tone_word.last_tone_end = address(end);
}

void check_utf8(const unsigned char* from, std::size_t size) {
  if (utf8_told) return;
  for (std::size_t i = 0; i + 1 < size; ++i) {
    const unsigned char lead = from[i], next = from[i + 1];
    const bool letter =
        (lead >= 0xC3 && lead <= 0xC6 && next >= 0x80 && next <= 0xBF &&
         letter_of_code(static_cast<char32_t>((lead & 0x1F) << 6 | (next & 0x3F))) >= 0) ||
        (lead == 0xE1 && (next == 0xBA || next == 0xBB)) || combining_mark(lead, next) != 0;
    if (!letter) continue;
    utf8_told = true;
    return warn_on(line_of(from + i), "this reads as UTF-8 Vietnamese, not VIQR",
                   "read UTF-8 input with diaset -u");
  }
}

} // namespace diaset
