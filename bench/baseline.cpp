// The straightforward filter, kept as the benchmark's yardstick and as an independent check of
// the real one's bytes: one stdio call per input byte and printf for every motion.
//
//   diaset_baseline FILE
#include <cstdio>
#include <cstring>

namespace {

std::FILE* in;
float shift_left, shift_raise;

int peek() {
  const int c = std::getc(in);
  if (c != EOF) std::ungetc(c, in);
  return c;
}

void mark(char glyph, double left, double raise) {
  const char* text = glyph == '\''  ? "\\z\\'"
                     : glyph == '`' ? "\\z\\`"
                     : glyph == '?' ? "\\z'"
                     : glyph == '~' ? "\\z\\fB~\\fP"
                     : glyph == '.' ? "\\z."
                     : glyph == '^' ? "\\z^"
                                    : "\\z\\(hy";
  const float h = shift_left + static_cast<float>(left);
  const float v = shift_raise + static_cast<float>(raise);
  if (h != 0) std::printf("\\h'%.2fm'", static_cast<double>(-h));
  if (v != 0) std::printf("\\v'%.2fm'", static_cast<double>(-v));
  std::printf("%s", text);
  if (v != 0) std::printf("\\v'%.2fm'", static_cast<double>(v));
  if (h != 0) std::printf("\\h'%.2fm'", static_cast<double>(h));
}

bool is_tone(int c) { return c != EOF && c != 0 && std::strchr("'`?~.", c) != nullptr; }
bool is_mark(int c) { return c != EOF && c != 0 && std::strchr("'`?~.^+(", c) != nullptr; }

// Classes: 0 after circumflex, 1 after horn, 2 after breve, 3 plain, 4 plain i.
void tone(int cls) {
  static const double place[5][5][2] = {
      {{0.4, 0.15}, {0.6, 0.1}, {0.5, 0.15}, {0.5, 0}, {0.3, 0.15}},
      {{0.6, 0.15}, {0.55, 0.1}, {0.5, 0.15}, {0.5, 0}, {0.4, 0.15}},
      {{0.25, 0.2}, {0.45, 0.15}, {0.4, 0.15}, {0.4, 0.1}, {0.25, 0.2}},
      {{0.5, 0.15}, {0.55, 0.15}, {0.5, 0.15}, {0.5, 0}, {0.4, 0.06}},
      {{0.4, -0.2}, {0.4, -0.2}, {0.4, -0.2}, {0.4, -0.2}, {0.3, -0.2}},
  };
  const int c = peek();
  if (!is_tone(c)) return;
  std::getc(in);
  const int t = static_cast<int>(std::strchr("'`?~.", c) - "'`?~.");
  if (c == '.') shift_raise = 0;
  mark(static_cast<char>(c), place[t][cls][0], place[t][cls][1]);
}

void vowel(int v) {
  const int c = peek();
  if (!is_mark(c)) {
    std::putchar(v);
    return;
  }
  if (v >= 'A' && v <= 'Z') {
    shift_raise = 0.2f;
    if (v != 'I') shift_left = 0.1f;
  }
  const int cls = v == 'i' || v == 'I' ? 4 : 3;
  const bool lower = v >= 'a';
  const int lv = lower ? v : v - 'A' + 'a';
  if (is_tone(c)) {
    std::putchar(v);
    tone(cls);
  } else if (c == '^' && (lv == 'a' || lv == 'e' || lv == 'o')) {
    if (lower)
      std::printf("\\o'%c^'", v);
    else
      std::putchar(v);
    std::getc(in);
    if (!lower) mark('^', 0.55, 0);
    tone(0);
  } else if (c == '+' && (lv == 'o' || lv == 'u')) {
    std::putchar(v);
    std::getc(in);
    if (lower)
      mark('?', 0.25, -0.1);
    else
      mark('?', 0.2, -0.05);
    tone(1);
  } else if (c == '(' && lv == 'a') {
    std::putchar(v);
    std::getc(in);
    mark('`', 0.5, -0.1);
    mark('\'', 0.48, -0.1);
    tone(2);
  } else {
    std::putchar(v);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::puts("Usage: diaset filename");
    return 0;
  }
  in = std::fopen(argv[1], "r");
  if (in == nullptr) {
    std::printf("Cannot open file %s\n", argv[1]);
    return 0;
  }
  for (int c; (c = std::getc(in)) != EOF;) {
    shift_left = shift_raise = 0;
    if (c != 0 && std::strchr("aeiouyAEIOUY", c) != nullptr) {
      vowel(c);
    } else if (c == 'd' || c == 'D') {
      std::putchar(c);
      const int n = peek();
      if (n == 'd' || n == 'D') {
        std::getc(in);
        if (c == 'd')
          mark('-', 0.3, 0.35);
        else
          mark('-', 0.7, 0.15);
      }
    } else if (c == '\\') {
      const int n = std::getc(in);
      if (n != EOF) std::putchar(n);
    } else {
      std::putchar(c);
    }
  }
  return 0;
}
