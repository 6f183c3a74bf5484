// The loops behind RotateQuarterTurnLeft, one per instruction set. Each writes the whole of
// `src` turned a quarter turn counter-clockwise into `dst`, whose shape the caller has checked;
// RotateQuarterTurnLeft picks the best one the processor has once, and the tests run each of
// them.
#pragma once

#include "imaging/image.h"

namespace orv::rotate_kernels {

void TurnPortably(const ImageView& src, const MutableImageView& dst);

#if defined(__SSE2__)
// Only for processors that have SSSE3 (HaveSsse3).
void TurnWithSsse3(const ImageView& src, const MutableImageView& dst);
// Only for processors that have AVX2 (HaveAvx2), which implies SSSE3.
void TurnWithAvx2(const ImageView& src, const MutableImageView& dst);
#endif

}  // namespace orv::rotate_kernels
