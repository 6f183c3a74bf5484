#include "imaging/rotate.h"

#include "imaging/processor_features.h"
#include "imaging/rotate_kernels.h"

namespace orv {

bool RotateQuarterTurnLeft(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 24 || dst.width != src.height ||
      dst.height != src.width || src.width < 0 || src.height < 0) {
    return false;
  }
#if defined(__SSE2__)
  static const auto turn = HaveAvx2()    ? rotate_kernels::TurnWithAvx2
                           : HaveSsse3() ? rotate_kernels::TurnWithSsse3
                                         : rotate_kernels::TurnPortably;
  turn(src, dst);
#else
  rotate_kernels::TurnPortably(src, dst);
#endif
  return true;
}

}  // namespace orv
