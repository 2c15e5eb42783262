// The unit tests' stand-in for the generated data.cpp: an image each test
// fills with the archive it needs.
#include "datafile/embedded_image.h"

unsigned int gSizeDatfile = 0;
unsigned int gDatfile[4096];
extern const unsigned kTestImageWords = sizeof gDatfile / sizeof gDatfile[0];
