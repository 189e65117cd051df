#include "project/projectfile.h"

// Placeholder until this stage is written.
