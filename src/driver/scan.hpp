// The scan loop: every input byte, sent down the one path that handles it.
#pragma once

#include <string>
#include <string_view>

namespace diaset {

// Filters the open input to its end.
void scan_input();

// Filters bytes held in memory and returns the troff text.
std::string render_bytes(std::string_view bytes);

} // namespace diaset
