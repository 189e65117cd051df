#include "imaging/pictureloader.h"

// Placeholder until this stage is written.
