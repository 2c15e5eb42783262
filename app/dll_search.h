// Keeps DLLs planted beside Setup.exe (a downloads folder) from being loaded.
#ifndef TREMLOK_APP_DLL_SEARCH_H
#define TREMLOK_APP_DLL_SEARCH_H

// Restricts the DLL search to the system folder where the platform offers
// it; older systems start as before. Call first thing in WinMain.
void HardenDllSearch();

// Whether SetDefaultDllDirectories may be used on the Windows version that
// GetVersion() reports: not on 6.0 (Vista, Server 2008), where the
// restriction keeps the shell link object from being created.
bool MayRestrictDllDirectories(unsigned long version);

// Loads comctl32 from the system folder by its full path and registers the
// common controls (msctls_progress32). The program does not import it: a
// DLL the loader resolves at start-up is looked for beside the program first,
// before HardenDllSearch can run, and comctl32 is not a known DLL. Returns
// false when it cannot be loaded.
bool LoadCommonControls();

#endif
