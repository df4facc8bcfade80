#pragma once
// The global managers moved to data/Dictionary.h; include that. Kept only until code written
// against this name has moved.
#include "data/Dictionary.h"
