#include "serial/linux_custom_baud.h"

#include <cerrno>

#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace varnek {

#if defined(__linux__) && defined(BOTHER) && defined(TCGETS2)

int SetCustomBaud(int fd, uint32_t rate) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
  t.c_cflag |= BOTHER;
  t.c_ospeed = rate;
  // The input speed follows the output speed.
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD << IBSHIFT);
  t.c_cflag |= BOTHER << IBSHIFT;
  t.c_ispeed = rate;
  if (ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

uint32_t CustomBaudOf(int fd) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return 0;
  return t.c_ospeed;
}

#else

int SetCustomBaud(int, uint32_t) {
  return ENOTSUP;
}
uint32_t CustomBaudOf(int) {
  return 0;
}

#endif

}  // namespace varnek
