// Which vector instructions the processor has. The byte maps use AVX2 where it is there and
// SSE2, which every x86-64 has, where it is not; the walk lists its turns with AVX-512 where it
// can. The choice is made once, at start.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
// Functions built for AVX2 (with BMI) or AVX-512 (VBMI2), called only where the flags below
// say the processor has them.
#define DIASET_AVX2 __attribute__((target("avx2,bmi,bmi2")))
#define DIASET_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi2,avx2,bmi,bmi2")))
#endif

namespace diaset {

// Whether the processor has AVX2 and BMI, and whether it also has AVX-512 with byte and word
// compression. Tests turn them off to run the narrower paths as well.
extern bool wide_vectors;
extern bool widest_vectors;

} // namespace diaset
