#include "stream/input.hpp"

#include <cerrno>
#include <unistd.h>

namespace diaset {

Input input;

namespace {
unsigned char file_block[64 * 1024];
}

void open_input_fd(int fd) {
  input = Input{file_block, file_block, file_block, fd, false, nullptr, nullptr, 0, nullptr};
}

void open_input_bytes(const unsigned char* bytes, std::size_t size, std::size_t block_size) {
  input = Input{bytes, bytes, bytes, -1, false, bytes, bytes + size, block_size, nullptr};
}

int refill_input() {
  if (input.before_refill != nullptr && input.pos == input.end) input.before_refill();
  if (input.rest != input.rest_end) {
    input.pos = input.start = input.rest;
    const auto left = static_cast<std::size_t>(input.rest_end - input.rest);
    input.end = input.rest += left < input.block ? left : input.block;
    return *input.pos;
  }
  while (input.fd >= 0) {
    const ssize_t got = read(input.fd, file_block, sizeof file_block);
    if (got > 0) {
      input.pos = input.start = file_block;
      input.end = file_block + got;
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
