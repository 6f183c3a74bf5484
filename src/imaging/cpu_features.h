// Which instructions the processor offers beyond the x86-64 baseline (SSE2), asked once; the
// faster kernels are chosen at run time, as the program runs on any x86-64 Windows machine.
#pragma once

namespace orv {

#if defined(__SSE2__)
inline bool HaveSsse3() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return have;
}
#endif

}  // namespace orv
