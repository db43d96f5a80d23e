// The logo stage: stamps the chosen logo, unscaled, into one corner of the source.
#pragma once

#include "app/run_state.h"

namespace pictorand {

// Loads the logo file anew, draws it into SourceBitmap with the colour of its
// bottom-left pixel left out; on failure shows "Невозможно загрузить файл логотипа!"
// and sets LogoFailed. A logo extension no reader knows draws nothing.
void OperationWishLogotip(TRunState& state);

}  // namespace pictorand
