// Preloaded into GTKTerm by scripts/peer_receive_compare.sh, for measuring it on a pty.
//
// GTKTerm looks its port up in udev before opening it and gives up when udev has no record.
// A pseudo-terminal (major 136..143) never has one. For a pty only, this answers the lookup
// with the record of /dev/ptmx, the pty multiplexer, and names that record's device file as
// the pty that was asked for. Every other device goes to udev unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef void* (*QueryByDeviceFile)(void* client, const char* path);
typedef const char* (*DeviceFile)(void* device);

static void* standIn;  // the ptmx record handed out for a pty
static char ptyPath[4096];  // the pty it stands for

static int isPty(const char* path)
{
    struct stat st;
    if (path == NULL || stat(path, &st) != 0 || !S_ISCHR(st.st_mode))
        return 0;
    const unsigned int m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

void* g_udev_client_query_by_device_file(void* client, const char* path)
{
    static QueryByDeviceFile real;
    if (real == NULL)
        real = (QueryByDeviceFile)dlsym(RTLD_NEXT, "g_udev_client_query_by_device_file");
    void* device = real(client, path);
    if (device != NULL || !isPty(path))
        return device;
    device = real(client, "/dev/ptmx");
    if (device != NULL) {
        standIn = device;
        snprintf(ptyPath, sizeof ptyPath, "%s", path);
    }
    return device;
}

const char* g_udev_device_get_device_file(void* device)
{
    static DeviceFile real;
    if (real == NULL)
        real = (DeviceFile)dlsym(RTLD_NEXT, "g_udev_device_get_device_file");
    if (device != NULL && device == standIn)
        return ptyPath;
    return real(device);
}
