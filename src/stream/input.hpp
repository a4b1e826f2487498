// Input lookahead: the one input being filtered, read in blocks, with at most one byte looked at
// ahead of the reader. Bytes are 0 to 255; end of input is -1.
//
// Nothing counts bytes across a file: positions are pointers into the block at hand, and a read
// asks for one block at a time, so input of any size, past 4 GiB, streams through in the same
// memory with no count to overflow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace diaset {

struct Input {
  const unsigned char* pos;   // next byte to hand out
  const unsigned char* end;   // end of the bytes at hand
  const unsigned char* start; // their start
  int fd;                     // where more bytes come from; -1 once there are no more
  bool failed;                // a read failed: the input ended early
  const unsigned char* rest;  // for bytes in memory: those not yet handed over as a block
  const unsigned char* rest_end;
  std::size_t block;       // and how many to hand over at a time
  void (*before_refill)(); // called before the bytes at hand are replaced, if set
};

extern Input input;

// Starts filtering the file open on fd, with fresh lookahead.
void open_input_fd(int fd);
// Starts filtering bytes held in memory, handed over in blocks of the given size as a file's
// are read; they must outlive the scan.
void open_input_bytes(const unsigned char* bytes, std::size_t size, std::size_t block = SIZE_MAX);
// Reads the next block; returns its first byte, still unread, or -1 at end of input.
int refill_input();

inline bool input_failed() { return input.failed; }

inline int peek_byte() { return input.pos != input.end ? *input.pos : refill_input(); }

inline int take_byte() {
  if (input.pos == input.end && refill_input() < 0) return -1;
  return *input.pos++;
}

} // namespace diaset
