#include "platform/tasksched/Results.h"

#include <cerrno>

namespace qm::tasksched {

namespace {
constexpr DWORD kErrorDiskFull = 112;
} // namespace

HRESULT resultFromRtError(const RtError& e)
{
    switch (e.number) {
    case rterr::FileNotFound:
        return com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
    case rterr::PathNotFound:
    case rterr::DeviceUnavailable:
        return com::HRESULT_FROM_WIN32(com::ERROR_PATH_NOT_FOUND);
    case rterr::PermissionDenied:
        return com::E_ACCESSDENIED;
    case rterr::DiskFull:
        return com::HRESULT_FROM_WIN32(kErrorDiskFull);
    case rterr::BadFileName:
        return com::E_INVALIDARG;
    default:
        return com::E_FAIL;
    }
}

HRESULT resultFromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
        return com::HRESULT_FROM_WIN32(com::ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
        return com::E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
        return com::HRESULT_FROM_WIN32(kErrorDiskFull);
    default:
        return com::E_FAIL;
    }
}

} // namespace qm::tasksched
