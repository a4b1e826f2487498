// The one output stream: a block buffer handed to a writer each time it fills, so bytes leave in
// the order they were put.
#pragma once

#include <cstddef>
#include <cstring>

namespace diaset {

// Takes a block of output. It returns only when all of it has been written; a writer that
// cannot write does not return.
using BlockWriter = void (*)(const char* data, std::size_t size);

struct Output {
  char* pos;
  char* end;
};

extern Output output;

void start_output(BlockWriter writer);
// Hands whatever is buffered to the writer, leaving the buffer empty.
void drain_output();
// Puts text that may not fit in what is left of the buffer.
void put_long_text(const char* text, std::size_t size);

inline void put_byte(int byte) {
  if (output.pos == output.end) drain_output();
  *output.pos++ = static_cast<char>(byte);
}

inline void put_text(const char* text, std::size_t size) {
  if (size > static_cast<std::size_t>(output.end - output.pos)) return put_long_text(text, size);
  std::memcpy(output.pos, text, size);
  output.pos += size;
}

} // namespace diaset
