#pragma once
// Rates outside the B-constants (14400, 56000, 128000, 256000 and the like)
// through Linux's termios2 and BOTHER. Kept apart because the kernel's
// termios2 header cannot be included beside <termios.h>.
#include <cstdint>

namespace varnek {

// Sets input and output speed of `fd` to `rate`. Returns 0 or the errno;
// ENOTSUP where the platform has no arbitrary rates.
int SetCustomBaud(int fd, uint32_t rate);
// The output speed the driver actually holds (drivers round to what their
// clock divides to), or 0 where it cannot be read.
uint32_t CustomBaudOf(int fd);

}  // namespace varnek
