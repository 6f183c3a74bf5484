// What the processor offers beyond SSE2. The imaging loops ask once and keep the answer, so one
// program runs on every x86-64 processor and takes the faster loops where they exist.
#pragma once

#if defined(__SSE2__)

namespace orv {

inline bool HaveSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

// Also true only when the system saves the 256-bit registers across thread switches.
inline bool HaveAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace orv

#endif
