#include "FileKind.h"

#include <sys/stat.h>

std::string FileKind::describe (mode_t mode)
{
    if (S_ISREG (mode))
        return {};

    if (S_ISDIR (mode))
        return "a directory";

    if (S_ISFIFO (mode))
        return "a pipe";

   #ifdef S_ISSOCK   // Windows' C library knows no sockets or links among files
    if (S_ISSOCK (mode))
        return "a socket";
   #endif

    if (S_ISCHR (mode))
        return "a character device";

    if (S_ISBLK (mode))
        return "a block device";

   #ifdef S_ISLNK
    if (S_ISLNK (mode))
        return "a symbolic link";
   #endif

    return "not a file";
}
