// Arbitrary line rates through the Linux termios2 interface (BOTHER). This file
// must not see <termios.h>: the kernel's struct termios and glibc's clash.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>

#include "link/commport.h"

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

int SetArbitrarySpeed(int fd, uint32_t rate)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~(CBAUD | CIBAUD);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

int GetArbitrarySpeed(int fd, uint32_t *rate)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    *rate = t.c_ospeed;
    return 0;
}
