// The resampling passes for any x86-64 (or other) processor.
#define RESAMPLE_ISA generic_isa
#include "resample/resample_passes.h"
#include "resample/resample_loops.h"
#include "resample/resample_passes_body.h"

namespace pictorand {

TResamplePasses GenericPasses() { return {&generic_isa::HorizontalPass, &generic_isa::VerticalPass}; }

}  // namespace pictorand
