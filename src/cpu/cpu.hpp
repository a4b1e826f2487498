// Which vector instructions the processor has. The byte maps use AVX2 where it is there and
// SSE2, which every x86-64 has, where it is not; the choice is made once, at start.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
// A function built for AVX2, called only where wide_vectors says the processor has it.
#define DIASET_AVX2 __attribute__((target("avx2,bmi,bmi2")))
#endif

namespace diaset {

// Whether the processor has AVX2. Tests turn it off to run the SSE2 path as well.
extern bool wide_vectors;

} // namespace diaset
