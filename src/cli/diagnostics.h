// Qt's and the decoders' own messages: kept from stderr, and folded into the
// one line that explains a failure.
#pragma once

#include "error.h"

#include <cstdio>

namespace bitvane {

// From now on Qt's messages are kept per thread, and what libraries write
// to stderr themselves goes to a file of its own (the decoders' own words
// are already in their errors). Returns the real
// stderr, for the program's own line; stderr itself when capturing failed.
std::FILE *CaptureDiagnostics();

// Forgets what the calling thread has kept so far, and marks how far the
// libraries' own output has come.
void ClearThreadDiagnostics();

// failure with what was kept since the calling thread's last clear added to
// its reason. Only one thread may be working while the libraries' output
// since the mark is read, or another's words could join.
Error WithDiagnostics(const Error &failure);

} // namespace bitvane
