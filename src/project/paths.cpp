#include "project/paths.h"

// Placeholder until this stage is written.
