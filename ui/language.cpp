// The language library: chosen once by LANG.INI beside the program. Until it is loaded the
// console keeps its template's labels and built-in texts.
#include "app/console_dlg.h"

HINSTANCE g_hLangLib = NULL;

static const char c_szDefaultLibrary[] = "Verovod";

// The labels a language library may replace, with the string that replaces each.
static const struct {
    UINT nStringId;
    int nControlId;
} c_labels[] = {
    {IDS_LABEL_WLAN, IDC_WLAN},
    {IDS_LABEL_BLUETOOTH, IDC_BLUETOOTH},
    {IDS_LABEL_DISPLAY, IDC_DISPLAY},
};

void CConsoleDlg::LoadLanguageLibrary() {
    char szValue[256] = "Error";
    char szPath[128];
    // A program path that does not fit would name some other folder: then no INI is read,
    // as when it is missing, and the library is searched for beside the program as always.
    DWORD dwLength = ::GetModuleFileNameA(NULL, szPath, sizeof(szPath));
    if (dwLength != 0 && dwLength < sizeof(szPath)) {
        char* pszSlash = strrchr(szPath, '\\');
        if (pszSlash != NULL)
            *pszSlash = '\0';
        ::SetCurrentDirectoryA(szPath);

        LANGID id = ::GetSystemDefaultLangID();
        char szIniPath[256];
        wsprintfA(szIniPath, "%s\\%s", szPath, "LANG.INI");
        char szKey[16];
        wsprintfA(szKey, "0X%04X", id);
        ::GetPrivateProfileStringA("LANGID", szKey, "Error", szValue, 255, szIniPath);
    }

    g_hLangLib = ::LoadLibraryA(strcmp(szValue, "Error") == 0 ? c_szDefaultLibrary : szValue);
    if (g_hLangLib == NULL)
        return;
    for (const auto& label : c_labels) {
        char szText[256];
        if (::LoadStringA(g_hLangLib, label.nStringId, szText, sizeof(szText)) != 0)
            GetDlgItem(label.nControlId)->SetWindowTextA(szText);
    }
}
