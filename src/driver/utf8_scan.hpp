// The scan loop for UTF-8 input: every ASCII byte is copied, troff's backslashes included, and a
// Vietnamese letter in any normalization form is written as its VIQR spelling would be.
#pragma once

namespace diaset {

// One turn, byte by byte: the byte taken, and what follows it that belongs to it.
void scan_utf8_byte(int byte);

// Filters the open input to its end.
void scan_utf8_input();

} // namespace diaset
