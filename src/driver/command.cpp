#include "driver/command.hpp"

#include "driver/input.hpp"
#include "driver/output.hpp"
#include "driver/scan.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace diaset {

namespace {

[[noreturn]] void output_failed() {
  std::fputs("Cannot write output\n", stderr);
  std::exit(1);
}

// Output is useless once a write has failed, so the run stops there rather than filter the rest
// into nowhere. A reader that went away ends the run by SIGPIPE, as it does for cat.
void write_stdout(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = write(STDOUT_FILENO, data, size);
    if (put < 0 && errno == EINTR) continue;
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

bool filter_file(const char* name) {
  const int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    complain("Cannot open file %s\n", name);
    return false;
  }
  open_input_fd(fd);
  scan_input();
  close(fd);
  if (input_failed()) {
    complain("Cannot read file %s\n", name);
    return false;
  }
  return true;
}

} // namespace

int run_command(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("Usage: diaset filename\n", stderr);
    return 2;
  }
  start_output(write_stdout);
  bool all_well = true;
  for (int i = 1; i < argc; ++i) all_well = filter_file(argv[i]) && all_well;
  drain_output();
  // Closing standard output is the last chance to hear of a failed write, or to find it was
  // never open.
  if (close(STDOUT_FILENO) != 0 && errno != EINTR) output_failed();
  return all_well ? 0 : 1;
}

} // namespace diaset
