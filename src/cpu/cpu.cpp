#include "cpu/cpu.hpp"

namespace diaset {

namespace {

bool has_avx2() {
#if defined(DIASET_AVX2)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi") != 0 &&
         __builtin_cpu_supports("bmi2") != 0;
#else
  return false;
#endif
}

bool has_avx512() {
#if defined(DIASET_AVX512)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
         __builtin_cpu_supports("avx512vbmi2") != 0;
#else
  return false;
#endif
}

} // namespace

// In this order: the second needs the first.
bool wide_vectors = has_avx2();
bool widest_vectors = wide_vectors && has_avx512();

} // namespace diaset
