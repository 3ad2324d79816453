#include "platform/os_error.h"

#include <cerrno>

namespace findolin {

OsError osErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return OsError::NotFound;
    case ENOTDIR:
        return OsError::NotAFolder;
    case EISDIR:
        return OsError::NotAFile;
    case EACCES:
    case EPERM:
        return OsError::AccessDenied;
    default:
        return OsError::Failed;
    }
}

} // namespace findolin
