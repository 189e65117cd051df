#include "imaging/adjustments.h"

// Placeholder until this stage is written.
