// Sleep and the tick count, both on the process clock so that tests run on virtual time.
#include "clock.h"
#include "wait.h"

#include <windows.h>

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0)
        return; // Windows only yields the time slice
    if (dwMilliseconds == INFINITE) {
        for (;;)
            platform::wait_events(std::nullopt);
    }
    platform::Clock& clock = platform::clock();
    if (!clock.is_virtual() && !clock.may_sleep(dwMilliseconds))
        return;
    const platform::Millis deadline = clock.now() + dwMilliseconds;
    // Descriptor handlers may run meanwhile (they only queue what arrives); the sleep goes on
    // until its deadline all the same.
    while (clock.now() < deadline)
        platform::wait_events(deadline);
}

// Milliseconds since the clock's origin, wrapping after 49.7 days as on Windows.
DWORD WINAPI GetTickCount() {
    return static_cast<DWORD>(platform::clock().now());
}
