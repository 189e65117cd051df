// Qt's and the decoders' own warnings, kept from stderr and folded into the
// one line that explains a failure.
#pragma once

#include "error.h"

namespace bitvane {

// From now on Qt's messages (the image plugins pass the decoders' warnings
// and errors through them) are kept per thread instead of printed.
void CaptureQtWarnings();

// Forgets what the calling thread has kept so far.
void ClearThreadWarnings();

// failure with what the calling thread has kept since it was last cleared
// added to its reason, and the kept messages forgotten.
Error WithThreadWarnings(const Error &failure);

} // namespace bitvane
