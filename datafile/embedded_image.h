// The embedded image: the data file compiled into the program, defined by
// the generated data.cpp, or by data/embed_bin.cpp in a read-only section:
// never written to.
#ifndef TREMLOK_DATAFILE_EMBEDDED_IMAGE_H
#define TREMLOK_DATAFILE_EMBEDDED_IMAGE_H

extern unsigned int gSizeDatfile;
extern unsigned int gDatfile[];

#endif
