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

} // namespace

bool wide_vectors = has_avx2();

} // namespace diaset
