// The Linux tool's --list and --test: every entry of a data file decoded in
// memory, nothing written.
#ifndef TREMLOK_INSPECT_DATA_FILE_SCAN_H
#define TREMLOK_INSPECT_DATA_FILE_SCAN_H

// Decodes every entry of the data file at path (a data.bin, or a program
// built by this project, whose embedded image is found first), checking that each yields
// exactly its size. With list set, prints one line per entry on standard
// output: size, method, coded size, name. Returns 0 when every record is
// whole; 1 when the file cannot be read or a record is damaged, reported on
// standard error with the record's name and its offset in the file.
int ScanDataFile(const char* path, bool list);

#endif
