// The resampling passes for processors with AVX2 and FMA; only this file is compiled
// for them.
#define RESAMPLE_ISA avx2_isa
#include "resample/resample_passes.h"
#include "resample/resample_loops.h"
#include "resample/resample_passes_body.h"

namespace pictorand {

TResamplePasses Avx2Passes() { return {&avx2_isa::HorizontalPass, &avx2_isa::VerticalPass}; }

}  // namespace pictorand
