// The language library: chosen once by LANG.INI beside the program. Until it is loaded the
// console keeps its template's labels and built-in texts.
#include "app/console_dlg.h"

HINSTANCE g_hLangLib = NULL;
