#include "driver/command.hpp"

#include "driver/scan.hpp"
#include "render/glyph.hpp"
#include "stream/input.hpp"
#include "stream/output.hpp"
#include "warn/warn.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace diaset {

namespace {

[[noreturn]] void output_failed() {
  std::fputs("Cannot write output\n", stderr);
  std::exit(1);
}

// Waits until standard output, left non-blocking by whoever handed it down, takes more.
bool output_ready() {
  pollfd out{STDOUT_FILENO, POLLOUT, 0};
  while (poll(&out, 1, -1) < 0)
    if (errno != EINTR) return false;
  return true;
}

// Output is useless once a write has failed, so the run stops there rather than filter the rest
// into nowhere. A reader that went away ends the run by SIGPIPE, as it does for cat; a full
// non-blocking pipe is no failure, only a wait.
void write_stdout(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = write(STDOUT_FILENO, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && output_ready()) continue;
    if (put <= 0) output_failed();
    data += put;
    size -= static_cast<std::size_t>(put);
  }
}

// Diagnostics go after the output of the files before them, for a reader who merges the two.
void complain(const char* format, const char* name) {
  drain_output();
  std::fprintf(stderr, format, name);
}

// The regular file standard output writes to, if it is one: filtering it into itself would
// grow it until the disk is full.
struct stat output_file;
bool output_is_file = false;

bool is_output(int fd) {
  struct stat in;
  return output_is_file && fstat(fd, &in) == 0 && in.st_dev == output_file.st_dev &&
         in.st_ino == output_file.st_ino;
}

bool filter_file(const char* name) {
  const int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    complain("Cannot open file %s\n", name);
    return false;
  }
  if (is_output(fd)) {
    close(fd);
    complain("Input file %s is the output\n", name);
    return false;
  }
  open_input_fd(fd);
  if (warnings_on) {
    start_warnings(name);
    input.before_refill = block_ends;
  }
  scan_input();
  close(fd);
  if (input_failed()) {
    complain("Cannot read file %s\n", name);
    return false;
  }
  return true;
}

constexpr const char* HELP = R"(Usage: diaset [-gqu] [--] filename...
Writes Vietnamese text, typed in VIQR or with -u in UTF-8, as troff input on
standard output.

  -g         write each Vietnamese letter as groff's glyph name, after fallback
             drawings for fonts that lack it (for groff, nroff and mandoc)
  -q         give no warnings (of likely mistakes in VIQR: a second tone in one
             word, a backslash that protects nothing, UTF-8 letters)
  -u         read UTF-8 troff input instead of VIQR: only the Vietnamese letters,
             in any normalization form, are changed
  --macros   print the fallback drawings as a groff macro file, and exit
  --help     print this help, and exit
  --version  print the version, and exit
  --         end the options: every word after it names a file
)";

int usage_error(const char* format, const char* word) {
  std::fprintf(stderr, format, word);
  std::fputs("Usage: diaset [-gqu] [--] filename...\n", stderr);
  return 2;
}

void finish_output() {
  drain_output();
  // Closing standard output is the last chance to hear of a failed write, or to find it was
  // never open.
  if (close(STDOUT_FILENO) != 0 && errno != EINTR) output_failed();
}

int print_text(std::string_view text) {
  start_output(write_stdout);
  put_long_text(text.data(), text.size());
  finish_output();
  return 0;
}

} // namespace

int run_command(int argc, char** argv) {
  bool quiet = false;
  int first = 1;
  for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
    const std::string_view word = argv[first];
    if (word == "--") {
      ++first;
      break;
    }
    if (word == "--help") return print_text(HELP);
    if (word == "--version") return print_text("diaset " DIASET_VERSION "\n");
    if (word == "--macros") return print_text(fallback_definitions());
    if (word.starts_with("--")) return usage_error("diaset: unknown option %s\n", argv[first]);
    for (const char option : word.substr(1)) {
      if (option == 'g') {
        letter_form = LetterForm::GlyphName;
        continue;
      }
      if (option == 'u') {
        input_form = InputForm::Utf8;
        continue;
      }
      if (option == 'q') {
        quiet = true;
        continue;
      }
      const char text[2] = {option, '\0'};
      return usage_error("diaset: unknown option -%s\n", text);
    }
  }
  if (first >= argc) {
    std::fputs("Usage: diaset filename\n", stderr);
    return 2;
  }
  // Only VIQR has pitfalls: in UTF-8 no ASCII byte is a mark.
  warnings_on = !quiet && input_form == InputForm::Viqr;
  output_is_file = fstat(STDOUT_FILENO, &output_file) == 0 && S_ISREG(output_file.st_mode);
  start_output(write_stdout);
  if (letter_form == LetterForm::GlyphName) {
    const std::string_view definitions = fallback_definitions();
    put_long_text(definitions.data(), definitions.size());
  }
  bool all_well = true;
  for (int i = first; i < argc; ++i) all_well = filter_file(argv[i]) && all_well;
  finish_output();
  return all_well ? 0 : 1;
}

} // namespace diaset
