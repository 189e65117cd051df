#include "imaging/shadereduction.h"

// Placeholder until this stage is written.
