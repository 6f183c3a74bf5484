// What the processor offers beyond the x86-64 baseline (SSE2), asked once. The program runs on
// any x86-64 Windows machine, so the imaging loops choose the faster kernels at run time.
#pragma once

#if defined(__SSE2__)

namespace orv {

inline bool HaveSsse3() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return have;
}

// True only where the system also saves the 256-bit registers across thread switches.
inline bool HaveAvx2() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return have;
}

// Conversions between half and single floats; every processor with AVX2 has them.
inline bool HaveF16c() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("f16c") != 0;
  }();
  return have;
}

}  // namespace orv

#endif
