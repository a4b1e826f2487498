// The scan loop: every input byte, sent down the one path that handles it.
#pragma once

#include "render/place.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace diaset {

// The bar through a doubled d, placed by the case of the first d: "d", then "D".
inline constexpr Placement BARS[2] = {{'-', 0.3, 0.35}, {'-', 0.7, 0.15}};
inline constexpr MarkTexts BAR_MARKS[2] = {mark_texts(BARS[0]), mark_texts(BARS[1])};

// How the input is read: VIQR, or UTF-8 in which only Vietnamese letters are changed.
enum class InputForm : unsigned char { Viqr, Utf8 };

// The form for this run; the driver sets it before filtering starts.
extern InputForm input_form;

// Writes the crossed d, "d" or "D", in the letter form in force.
void write_crossed_d(int d);

// One turn of the scan loop, byte by byte: the byte taken, and what follows it that belongs to
// it.
void scan_byte(int byte);

// Filters the open input to its end, in the input form in force.
void scan_input();

// Filters bytes held in memory, read in blocks of the given size, and returns the troff text;
// warnings, if on, name the input "-".
std::string render_bytes(std::string_view bytes, std::size_t block = SIZE_MAX);

} // namespace diaset
