// Preloaded into CuteCom by scripts/peer_receive_compare.sh, for measuring it on a pty.
//
// CuteCom reads the modem lines (TIOCMGET) after opening its port and closes the port when
// that fails, which it always does on a pseudo-terminal: a pty has no modem lines. For a pty
// only (major 136..143), the modem-line requests succeed here, reporting DSR, CTS and CD up
// and taking DTR/RTS changes without effect. Every other request goes to the kernel.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <stddef.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef int (*Ioctl)(int fd, unsigned long request, ...);

static int isPty(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return 0;
    const unsigned int m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

int ioctl(int fd, unsigned long request, ...)
{
    static Ioctl real;
    if (real == NULL)
        real = (Ioctl)dlsym(RTLD_NEXT, "ioctl");
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    const int modemRequest = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (modemRequest && isPty(fd)) {
        if (request == TIOCMGET && argument != NULL)
            *(int*)argument = TIOCM_DSR | TIOCM_CTS | TIOCM_CD | TIOCM_DTR | TIOCM_RTS;
        return 0;
    }
    return real(fd, request, argument);
}
