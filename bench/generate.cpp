// Writes deterministic Vietnamese-like VIQR text for the benchmark: syllables built from real
// onsets, nuclei and codas, tones on most of them, modifiers on about a third, capitals, crossed
// d, punctuation, a few troff requests and escapes. With "utf8", the same text in UTF-8 (NFC),
// as troff source: the escapes are troff's own.
//
//   diaset_generate SIZE_BYTES FILE [SEED [utf8]]
#include "letters/letters.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::uint64_t state;

// splitmix64: the same text for the same seed on every machine.
std::uint64_t next_random() {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

std::size_t below(std::size_t n) { return static_cast<std::size_t>(next_random() % n); }

template <std::size_t N> std::string_view pick(const std::string_view (&list)[N]) {
  return list[below(N)];
}

constexpr std::string_view ONSETS[] = {
    "",  "b",  "c",   "ch", "d",  "dd", "dd", "g", "gh", "gi", "h", "k",  "kh", "l", "l", "m",
    "n", "ng", "ngh", "nh", "nh", "ph", "qu", "r", "s",  "t",  "t", "th", "tr", "v", "v", "x"};
// "T" is where the tone goes.
constexpr std::string_view NUCLEI[] = {
    "aT",  "aT",  "a(T",  "a^T",  "eT",   "e^T",  "iT",   "oT",    "o^T",  "o+T", "uT",    "u+T",
    "yT",  "aTi", "aTo",  "aTu",  "a^Tu", "a^Ty", "aTy",  "eTo",   "e^Tu", "iTa", "ie^T",  "iTu",
    "oaT", "oTi", "o^Ti", "o+Ti", "uTa",  "uo^T", "u+Ta", "u+o+T", "u+Ti", "uyT", "uye^T", "ye^T",
    "aT",  "oT",  "eT",   "iT",   "uT",   "aTi",  "oTi",  "uTi",   "aTo",  "oaT", "uTa",   "aTy"};
constexpr std::string_view CODAS[] = {"",  "",   "",   "c",  "ch", "m", "n",
                                      "n", "ng", "ng", "nh", "p",  "t"};
constexpr std::string_view TONES[] = {"", "", "'", "'", "`", "`", "?", "~", ".", "."};

bool is_vowel_or_modifier(char c) {
  return std::string_view("aeiouyAEIOUY^+(").find(c) != std::string_view::npos;
}

void syllable(std::string& out, bool capital, bool shout) {
  const std::size_t start = out.size();
  out += pick(ONSETS);
  const std::string_view tone = pick(TONES);
  for (const char c : pick(NUCLEI))
    if (c == 'T')
      out += tone;
    else
      out += c;
  out += pick(CODAS);
  if (shout)
    for (std::size_t i = start; i < out.size(); ++i) {
      if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  else if (capital && out[start] >= 'a' && out[start] <= 'z')
    out[start] = static_cast<char>(out[start] - 'a' + 'A');
}

void sentence(std::string& out, std::size_t& column) {
  const std::size_t words = 4 + below(12);
  for (std::size_t w = 0; w < words; ++w) {
    const std::size_t before = out.size();
    syllable(out, w == 0, below(60) == 0);
    if (below(25) == 0) out += ",";
    column += out.size() - before;
    if (w + 1 < words) {
      if (column > 68) {
        out += '\n';
        column = 0;
      } else {
        out += ' ';
        ++column;
      }
    }
  }
  // A period right after a vowel would be a dot below; the author escapes it.
  if (is_vowel_or_modifier(out.back())) out += '\\';
  out += below(8) == 0 ? "?" : ".";
  if (below(30) == 0) out += " \\\\(em";
  out += ' ';
  column += 2;
}

void put_utf8(std::string& out, char32_t code) {
  if (code >= 0x800) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
  } else {
    out += static_cast<char>(0xC0 | code >> 6);
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// The VIQR text in UTF-8: each letter precomposed, each escape's backslash dropped.
std::string to_utf8(std::string_view viqr) {
  std::string out;
  for (std::size_t i = 0; i < viqr.size(); ++i) {
    const char c = viqr[i];
    const char next = i + 1 < viqr.size() ? viqr[i + 1] : 0;
    if (c == '\\') {
      if (next != 0) out += next;
      ++i;
      continue;
    }
    if ((c == 'd' || c == 'D') && (next == 'd' || next == 'D')) {
      put_utf8(out, diaset::LETTERS[static_cast<std::size_t>(diaset::letter_of(c, '-', 0))].code);
      ++i;
      continue;
    }
    int modifier = 0, tone = 0;
    std::size_t used = 1;
    if (next != 0 && diaset::letter_of(c, next, 0) >= 0) {
      modifier = next;
      ++used;
    }
    const char after = i + used < viqr.size() ? viqr[i + used] : 0;
    if (after != 0 && diaset::letter_of(c, modifier, after) >= 0) {
      tone = after;
      ++used;
    }
    const int letter = diaset::letter_of(c, modifier, tone);
    if (letter < 0) {
      out += c;
      continue;
    }
    put_utf8(out, diaset::LETTERS[static_cast<std::size_t>(letter)].code);
    i += used - 1;
  }
  return out;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: diaset_generate SIZE_BYTES FILE [SEED [utf8]]\n", stderr);
    return 2;
  }
  const std::size_t size = std::strtoull(argv[1], nullptr, 10);
  state = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  const bool in_utf8 = argc > 4 && std::string_view(argv[4]) == "utf8";
  std::FILE* file = std::fopen(argv[2], "wb");
  if (file == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  std::string text;
  std::size_t written = 0, column = 0;
  while (written < size) {
    text.clear();
    text += ".PP\n";
    column = 0;
    const std::size_t sentences = 2 + below(6);
    for (std::size_t s = 0; s < sentences; ++s) sentence(text, column);
    text.back() = '\n';
    if (in_utf8) text = to_utf8(text);
    const std::size_t n = text.size() < size - written ? text.size() : size - written;
    if (std::fwrite(text.data(), 1, n, file) != n) {
      std::perror(argv[2]);
      return 1;
    }
    written += n;
  }
  if (std::fclose(file) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
