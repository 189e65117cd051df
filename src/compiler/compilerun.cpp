#include "compiler/compilerun.h"

// Placeholder until this stage is written.
