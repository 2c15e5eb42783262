// The two stubs that the Linux tool carries inside itself: the i686 and x64
// programs around the empty archive, as the Windows builds made them.
#ifndef TREMLOK_INSPECT_STUB_PROGRAMS_H
#define TREMLOK_INSPECT_STUB_PROGRAMS_H

#include <stdint.h>

// The stub for x64 or i686; false when this build was made without it.
bool BuiltInStub(bool x64, const unsigned char** bytes, uint32_t* length);

#endif
