#pragma once

// What the library file's write needs of the system, one source file per
// platform: libraryfile_unix.cpp and libraryfile_win.cpp.

#include <QString>
#include <QtGlobal>

class QFileDevice;

namespace LibraryFile::Platform {

// How long a panel waits for another one's check and write.
constexpr int kLockWaitMs = 1500;

// Held from before the last check until the write is done, so that of two
// panels only one checks and writes at a time. It creates no file.
class Lock
{
public:
    explicit Lock(const QString &path);
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

    // Another panel held it for the whole wait.
    bool busy() const { return isBusy; }

private:
    qintptr handle = -1;
    bool isBusy = false;
};

// Whether a new file renamed over the one at path keeps all that is on the
// file: owner, group, mode bits, hard links, access control list and
// attributes, and whether its folder takes a new file at all.
bool replaceKeepsAll(const QString &path);

// The file's mode bits, special bits included; -1 where there are none.
int mode(const QString &path);

// Puts back the mode that a write changed, where the panel may set it.
void restoreMode(const QString &path, int mode);

// Takes the written bytes to the disk; false with errno set when that failed.
bool syncToDisk(const QFileDevice &file);

} // namespace LibraryFile::Platform
