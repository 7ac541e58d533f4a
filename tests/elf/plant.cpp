// Stands in for a library someone planted in the folder the program is started from: loaded,
// it leaves a marker file behind.
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

__attribute__((constructor)) static void markLoaded()
{
    if (const char *marker = std::getenv("WAKEMERE_PLANT_MARKER")) {
        const int fd = ::open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
}
