#include "BMKFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A bookmark file that is still missing may be in the middle of being
// written by the PVR service; it is worth a few quick looks.
const int kOpenAttempts = 6;
const mode_t kPermissions = 0777;

// The extra flags for a mode, or -1 for a mode that does not exist.
int ModeFlags(int mode, int flags, bool trunc) {
    switch (mode) {
        case CBMKFile::MODE_READ:
            return flags;
        case CBMKFile::MODE_WRITE:
            return flags | O_WRONLY | (trunc ? O_TRUNC : 0);
        case CBMKFile::MODE_READWRITE:
            return flags | O_RDWR | (trunc ? O_TRUNC : 0);
        default:
            return -1;
    }
}

// Refuses, before any open, a file that exists but cannot be what we read.
bool PassesReadCheck(char const* path) {
    struct stat st;
    if (stat(path, &st) != 0) return true;  // the open reports the error
    return (st.st_mode & S_IRUSR) && S_ISREG(st.st_mode);
}

}  // namespace

CBMKFile::OpenFunction CBMKFile::s_pfnOpen = &CBMKFile::SystemOpen;

int CBMKFile::SystemOpen(char const* path, int flags, mode_t mode) { return open(path, flags, mode); }

CBMKFile::CBMKFile() : m_nFd(kNoFd), m_nMode(MODE_READ) {}

CBMKFile::~CBMKFile() {}

int CBMKFile::Destroy() {
    // With nothing open this is close(-1): EBADF, and the process's stdin stays.
    int ret = close(m_nFd);
    m_nFd = kNoFd;
    return ret;
}

bool CBMKFile::m_Open(char const* path, int openFlags, int mode, int attempts) {
    m_nFd = kNoFd;
    if (openFlags < 0) return false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        int fd = s_pfnOpen(path, openFlags, kPermissions);
        if (fd >= 0) {
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            m_nFd = fd;
            m_nMode = mode;
            return true;
        }
        if (errno != ENOENT) break;
    }
    return false;
}

bool CBMKFile::Create(char const* path, int mode, int flags, int check) {
    m_nFd = kNoFd;
    if (mode == MODE_READ && check && !PassesReadCheck(path)) return false;
    return m_Open(path, ModeFlags(mode, flags, false), mode, kOpenAttempts);
}

bool CBMKFile::CreateWithTrunc(char const* path, int mode, int flags, bool check) {
    m_nFd = kNoFd;
    if (mode == MODE_READ && check && !PassesReadCheck(path)) return false;
    return m_Open(path, ModeFlags(mode, flags, true), mode, 1);
}

bool CBMKFile::CreateWithMake(char const* path, int mode, int flags) {
    m_nFd = kNoFd;
    if (!Make(path)) return false;
    // Only write-only truncates: a read-write open keeps what is there.
    return m_Open(path, ModeFlags(mode, flags, mode == MODE_WRITE), mode, 1);
}

bool CBMKFile::Make(char const* path) {
    int fd = s_pfnOpen(path, O_RDWR | O_CREAT, kPermissions);
    if (fd < 0) return errno == EACCES;  // there, just not ours to write
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    close(fd);
    return true;
}

bool CBMKFile::Remove(char const* path) { return unlink(path) == 0; }

bool CBMKFile::SetMode(char* path, int mode) {
    mode_t bits;
    switch (mode) {
        case MODE_READ:
            bits = S_IRUSR;
            break;
        case MODE_WRITE:
            bits = S_IWUSR;
            break;
        case MODE_READWRITE:
            bits = S_IRUSR | S_IWUSR;
            break;
        default:
            return false;
    }
    return chmod(path, bits) == 0;
}

bool CBMKFile::Seek(long* offset, int whence) {
    off_t pos = lseek(m_nFd, static_cast<off_t>(*offset), whence);
    *offset = pos < 0 ? -1 : static_cast<long>(pos);
    return pos >= 0;
}

bool CBMKFile::Read(void* buffer, unsigned long* length) {
    ssize_t n = read(m_nFd, buffer, *length);
    *length = n < 0 ? 0 : static_cast<unsigned long>(n);
    return n >= 0;
}

bool CBMKFile::Write(void const* buffer, unsigned long* length) {
    ssize_t n = write(m_nFd, buffer, *length);
    *length = n < 0 ? 0 : static_cast<unsigned long>(n);
    return n >= 0;
}

bool CBMKFile::Flush() {
    if (m_nMode == MODE_READ) return false;
    return fsync(m_nFd) == 0;
}
