#include "stream/output.hpp"

namespace diaset {

Output output;

namespace {
char block[64 * 1024];
char* const block_end = block + sizeof block;
BlockWriter writer;
} // namespace

void start_output(BlockWriter to) {
  writer = to;
  output = Output{block, block_end};
}

void drain_output() {
  if (output.pos != block) writer(block, static_cast<std::size_t>(output.pos - block));
  output.pos = block;
}

void put_long_text(const char* text, std::size_t size) {
  drain_output();
  if (size >= sizeof block) return writer(text, size);
  std::memcpy(output.pos, text, size);
  output.pos += size;
}

} // namespace diaset
