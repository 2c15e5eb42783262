// Kept for the Windows tests that still include it: the archive helpers now
// live in scratch_folder.h.
#include "tests/unit/scratch_folder.h"
