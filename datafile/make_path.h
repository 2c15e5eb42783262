// MakePath: the folders along a path, each one made logged.
#ifndef TREMLOK_DATAFILE_MAKE_PATH_H
#define TREMLOK_DATAFILE_MAKE_PATH_H

// Creates every folder along path, outermost first, logging each folder it
// creates. A path of kMakePathSize characters or more is refused whole.
void MakePath(const char* path);

#endif
