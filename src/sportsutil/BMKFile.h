// A thin wrapper over a POSIX file descriptor, used to read the PVR's
// bookmark files. Nothing here buffers: every call is one system call.
#ifndef VANTRO_BMKFILE_H
#define VANTRO_BMKFILE_H

#include <sys/types.h>

class CBMKFile {
public:
    // Access modes.
    enum { MODE_READ = 0, MODE_WRITE = 1, MODE_READWRITE = 2 };

    CBMKFile();
    // Does not close the file: the owner calls Destroy.
    virtual ~CBMKFile();
    // Closes the descriptor and forgets it; answers close's result, or -1
    // when nothing is open.
    virtual int Destroy();

    // Opens an existing file. With mode 0 and check set, a file that is not a
    // regular file or not readable by its owner is refused before the open.
    // A missing file is tried six times in all.
    bool Create(char const* path, int mode, int flags, int check);
    // Opens for writing with truncation (modes 1 and 2); no retries.
    bool CreateWithTrunc(char const* path, int mode, int flags, bool check);
    // Makes sure the file exists first, then opens it.
    bool CreateWithMake(char const* path, int mode, int flags);

    static bool Make(char const* path);
    static bool Remove(char const* path);
    static bool SetMode(char* path, int mode);

    // offset in: where to go; out: the new position, -1 on failure.
    bool Seek(long* offset, int whence);
    // length in: at most this many bytes; out: bytes moved, 0 on failure.
    // A short transfer is success.
    bool Read(void* buffer, unsigned long* length);
    bool Write(void const* buffer, unsigned long* length);
    bool Flush();

    // Every open goes through this, so tests can see and steer the attempts.
    using OpenFunction = int (*)(char const* path, int flags, mode_t mode);
    static OpenFunction s_pfnOpen;
    static int SystemOpen(char const* path, int flags, mode_t mode);

    // A process started with stdin closed gets descriptor 0 for the file, so
    // "nothing open" must be a value no descriptor can have.
    static constexpr int kNoFd = -1;
    int m_nFd;    // kNoFd when nothing is open
    int m_nMode;  // the mode the file was opened with

private:
    // Opens with close-on-exec, trying again while the file is missing.
    bool m_Open(char const* path, int openFlags, int mode, int attempts);
};

#endif
