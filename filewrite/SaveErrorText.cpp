#include "filewrite/SaveErrorText.h"

#include <cerrno>
#include <cstring>

std::string saveErrorText(int error) {
    switch (error) {
    case ENOSPC:
        return "no space left on the disk";
    case EDQUOT:
        return "the disk quota is used up";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "the disk is mounted read-only";
    case ENOENT:
        return "the folder does not exist";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case ENAMETOOLONG:
        return "the name is too long";
    case ELOOP:
        return "too many symbolic links (a loop)";
    case EFBIG:
        return "the file would be larger than allowed";
    case EIO:
        return "the disk reported an input/output error";
    default:
        return std::strerror(error);
    }
}
