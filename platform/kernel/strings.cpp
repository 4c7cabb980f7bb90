// The lstr* family. Windows guards these against bad pointers; here a NULL pointer is the case
// that can be checked, and it is handled the way Windows answers it.
#include <windows.h>

#include <cctype>
#include <cstring>

namespace {

int lower(char c) {
    return std::tolower(static_cast<unsigned char>(c));
}

// Windows compares strings linguistically: letters in alphabetical order whatever their case,
// and only strings that are otherwise equal are told apart by case, lower case first. Other
// characters keep their byte order. The result is -1, 0 or 1, as CompareString gives it.
int compare(LPCSTR a, LPCSTR b, bool ignore_case) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    int case_order = 0;
    for (size_t i = 0;; ++i) {
        int x = lower(a[i]);
        int y = lower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return ignore_case ? 0 : case_order;
        if (case_order == 0 && a[i] != b[i])
            case_order = std::islower(static_cast<unsigned char>(a[i])) ? -1 : 1;
    }
}

} // namespace

int WINAPI lstrlenA(LPCSTR lpString) {
    return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr)
        return nullptr;
    std::memmove(lpString1, lpString2, std::strlen(lpString2) + 1);
    return lpString1;
}

// Copies at most iMaxLength - 1 characters and always terminates. A length of zero or less
// writes nothing (Windows would treat a negative one as unlimited and overrun the buffer).
LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    if (lpString1 == nullptr)
        return nullptr;
    if (iMaxLength <= 0)
        return lpString1;
    int i = 0;
    if (lpString2 != nullptr) {
        for (; i < iMaxLength - 1 && lpString2[i] != '\0'; ++i)
            lpString1[i] = lpString2[i];
    }
    lpString1[i] = '\0';
    return lpString1;
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    return compare(lpString1, lpString2, false);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    return compare(lpString1, lpString2, true);
}
