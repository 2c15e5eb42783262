// Telling a program this project built from any other. The data file has
// no magic number and any word 5 followed by zeros frames an empty one, so
// a program is first known by the resources every such program carries.
#ifndef TREMLOK_INSPECT_PROGRAM_RESOURCES_H
#define TREMLOK_INSPECT_PROGRAM_RESOURCES_H

#include "inspect/pe_sections.h"

// True when the resource directory in sections holds the three wizard
// pages as dialog templates, bitmap 181 as a bitmap and the version block,
// each with its data inside the file. Every offset and size in the
// directory is checked against the bytes the section holds.
bool CarriesOurResources(const unsigned char* file, const ProgramSections& sections);

#endif
