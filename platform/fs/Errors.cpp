#include "platform/fs/Errors.h"

#include <cerrno>
#include <sys/stat.h>

namespace qm::fs {

std::string rtErrorDescription(int number)
{
    switch (number) {
    case rterr::BadFileName: return "Bad file name or number";
    case rterr::FileNotFound: return "File not found";
    case rterr::FileAlreadyExists: return "File already exists";
    case rterr::DiskFull: return "Disk full";
    case rterr::DeviceUnavailable: return "Device unavailable";
    case rterr::PermissionDenied: return "Permission denied";
    case rterr::DiskNotReady: return "Disk not ready";
    case rterr::PathFileAccess: return "Path/File access error";
    case rterr::PathNotFound: return "Path not found";
    default: return "Application-defined or object-defined error";
    }
}

qm::RtError makeRtError(int number, const std::string& what)
{
    std::string text = rtErrorDescription(number);
    if (!what.empty())
        text += ": " + what;
    return qm::RtError(number, std::move(text));
}

static int numberForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return rterr::FileNotFound;
    case ENOTDIR:
        return rterr::PathNotFound;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return rterr::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return rterr::PermissionDenied;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
    case EBADF:
        return rterr::BadFileName;
    case ENXIO:
    case ENODEV:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ETIMEDOUT:
        return rterr::DeviceUnavailable;
    case ENOMEDIUM:
        return rterr::DiskNotReady;
    default: // EIO, EBUSY, EEXIST, EISDIR, ENOTEMPTY, ELOOP, EXDEV, EMFILE, ...
        return rterr::PathFileAccess;
    }
}

qm::RtError rtErrorFromErrno(int err, const std::string& what)
{
    return makeRtError(numberForErrno(err), what);
}

qm::RtError rtErrorFromErrno(int err, const std::string& what, const std::filesystem::path& native)
{
    if (err == ENOENT) {
        std::filesystem::path parent = native.parent_path();
        struct stat st {};
        if (!parent.empty() && (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
            return makeRtError(rterr::PathNotFound, what);
    }
    return rtErrorFromErrno(err, what);
}

} // namespace qm::fs
