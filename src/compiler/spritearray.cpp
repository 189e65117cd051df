#include "compiler/spritearray.h"

// Placeholder until this stage is written.
