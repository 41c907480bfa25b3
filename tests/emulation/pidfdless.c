/* Loaded into every ARM program the suites run under qemu-user (LD_PRELOAD).
 *
 * Qt starts a child process with clone(CLONE_PIDFD) once it sees that the
 * kernel knows process descriptors, which it checks with waitid(P_PIDFD).
 * qemu-user 7.2 passes that check straight to the desktop's kernel, which
 * knows them, but then refuses clone(CLONE_PIDFD) itself (EINVAL), so every
 * QProcess start fails with "fork failure". Here the check answers as a kernel
 * without process descriptors does (ENOSYS), and Qt takes its older way of
 * starting a child (fork and SIGCHLD), which qemu runs.
 *
 * LD_PRELOAD is taken out of the environment at once, so that the desktop's
 * own programs the suites start (shell scripts, Qt's tools) never see an ARM
 * library named there; the scripts that start ARM programs under qemu name it
 * again themselves. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/syscall.h>

enum { idtypePidfd = 3 };

long syscall(long number, ...)
{
    /* As the C library's own syscall(): six word-sized arguments, whatever
     * the caller passed. */
    va_list ap;
    va_start(ap, number);
    long a[6];
    for (int i = 0; i < 6; ++i)
        a[i] = va_arg(ap, long);
    va_end(ap);
    if (number == SYS_waitid && a[0] == idtypePidfd) {
        errno = ENOSYS;
        return -1;
    }
    static long (*next)(long, ...);
    if (!next)
        next = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
    return next(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

__attribute__((constructor)) static void forgetPreload(void) { unsetenv("LD_PRELOAD"); }
