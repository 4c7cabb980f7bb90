// The OSD program's command line, apart so that its bounds can be checked on their own.
#pragma once

#include <windows.h>

// Both buffers of the OSD start are this size.
#define OSD_PATH_BUFFER_SIZE 128

// Writes "<pszWindowsDir>\ZEB0100\ZEBOSD.EXE" into pszCommandLine, a buffer of
// OSD_PATH_BUFFER_SIZE bytes. Returns FALSE, leaving an empty string, when the directory is
// too long for the buffer: the program is then not startable.
BOOL BuildOsdCommandLine(LPCSTR pszWindowsDir, LPSTR pszCommandLine);
