#include "driver/input.hpp"

#include <cerrno>
#include <unistd.h>

namespace diaset {

Input input;

namespace {
unsigned char block[64 * 1024];
}

void open_input_fd(int fd) { input = Input{block, block, fd, false}; }

void open_input_bytes(const unsigned char* bytes, std::size_t size) {
  input = Input{bytes, bytes + size, -1, false};
}

int refill_input() {
  while (input.fd >= 0) {
    const ssize_t got = read(input.fd, block, sizeof block);
    if (got > 0) {
      input.pos = block;
      input.end = block + got;
      return *input.pos;
    }
    if (got < 0 && errno == EINTR) continue;
    // End of input, or a read error that ends it early. Either way nothing more is read from
    // this file, so a terminal's later bytes cannot sneak in after an end already seen.
    input.failed = got < 0;
    input.fd = -1;
  }
  input.pos = input.end;
  return -1;
}

} // namespace diaset
