#include "driver/replay.hpp"

#include "driver/input.hpp"
#include "driver/output.hpp"
#include "driver/scan.hpp"

#include <cstring>

namespace diaset {

Step steps[STEP_COUNT];
// Room for every distinct step text, with the longest copy's worth to spare after the last.
char step_texts[64 * 1024 + MAX_STEP_SIZE];

namespace {

unsigned char representative(std::string_view bytes, std::size_t cls) {
  return cls < bytes.size() ? static_cast<unsigned char>(bytes[cls]) : 'x';
}

} // namespace

void prepare_steps() {
  const Input saved_input = input;
  const Output saved_output = output;
  char rendered[512];
  std::size_t used = 0;
  for (std::size_t first = 0; first <= FIRST_BYTES.size(); ++first)
    for (std::size_t second = 0; second < SECOND_CLASSES; ++second)
      for (std::size_t third = 0; third < THIRD_CLASSES; ++third) {
        const unsigned char bytes[3] = {representative(FIRST_BYTES, first),
                                        representative(SECOND_BYTES, second),
                                        representative(THIRD_BYTES, third)};
        open_input_bytes(bytes, sizeof bytes);
        output = Output{rendered, rendered + sizeof rendered};
        scan_byte(take_byte());
        Step& step = steps[FIRST_KEY[bytes[0]] + SECOND_KEY[bytes[1]] + THIRD_KEY[bytes[2]]];
        step.size = static_cast<std::uint8_t>(output.pos - rendered);
        step.advance = static_cast<std::uint8_t>(input.pos - bytes);
        if (bytes[0] == 'x' || bytes[0] == '\\') {
          // A copied byte, or the byte after the escape: the one byte the input has there.
          step.source = 1;
          step.text = static_cast<std::uint16_t>(step.advance - 1);
          continue;
        }
        // The same text as for the class before at the third place is kept once.
        const Step& before = steps[FIRST_KEY[bytes[0]] + SECOND_KEY[bytes[1]] + third - 1];
        if (third > 0 && before.size == step.size &&
            std::memcmp(step_texts + before.text, rendered, step.size) == 0) {
          step.text = before.text;
          continue;
        }
        std::memcpy(step_texts + used, rendered, step.size);
        step.text = static_cast<std::uint16_t>(used);
        used += step.size;
      }
  input = saved_input;
  output = saved_output;
}

void replay_steps() {
  // The positions live in registers for the run, and go back to the streams at its end.
  const unsigned char* in = input.pos;
  // Each turn reads the byte two places on, and may copy a whole copy's worth of input from the
  // byte after it.
  if (input.end - in <= static_cast<std::ptrdiff_t>(STEP_COPY)) return;
  const unsigned char* const in_last = input.end - STEP_COPY - 1;
  // Each byte is looked up once, as it comes into sight two places on; the keys of the two
  // nearer bytes are carried along.
  std::size_t first = FIRST_KEY[in[0]], second = SECOND_KEY[in[1]], next_first = FIRST_KEY[in[1]];
  // Every position is visited, and one that the last step consumed writes nothing. Deciding that
  // by a count, rather than jumping by the step's advance, keeps the next position's lookups off
  // the path of this one's.
  unsigned covered = 0;
  while (in <= in_last) {
    if (output.end - output.pos < static_cast<std::ptrdiff_t>(MAX_STEP_SIZE)) drain_output();
    char* out = output.pos;
    // No position writes more than the longest step, so this many fit in the output.
    const auto room = static_cast<std::size_t>(output.end - out) / MAX_STEP_SIZE;
    const auto left = static_cast<std::size_t>(in_last - in) + 1;
    for (std::size_t n = room < left ? room : left; n > 0; --n, ++in) {
      const unsigned char third = in[2];
      const Step& step = steps[first + second + THIRD_KEY[third]];
      first = next_first;
      second = SECOND_KEY[third];
      next_first = FIRST_KEY[third];
      const char* from =
          (step.source != 0 ? reinterpret_cast<const char*>(in) : step_texts) + step.text;
      std::memcpy(out, from, STEP_COPY);
      // Masks, not branches: whether a position starts a step follows the text, and a branch
      // on it would be mispredicted at every consumed mark.
      const unsigned starts = 0u - (covered == 0);
      const unsigned size = step.size & starts;
      if (size > STEP_COPY)
        std::memcpy(out + STEP_COPY, from + STEP_COPY, MAX_STEP_SIZE - STEP_COPY);
      out += size;
      covered = covered - 1 + (step.advance & starts); // wraps to the advance less one
    }
    output.pos = out;
  }
  // The bytes that the last step consumed are already written.
  input.pos = in + covered;
}

} // namespace diaset
