#include <windows.h>

#include <cstdint>

// (a * b) / c in 64 bits, rounded half away from zero as Windows does; -1 when c is zero or
// the result does not fit (Windows also reports -2147483648 that way).
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0)
        return -1;
    int64_t product = static_cast<int64_t>(nNumber) * nNumerator;
    int64_t divisor = nDenominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    int64_t result =
        product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return static_cast<int>(result);
}
