#include "library/libraryfile_p.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace LibraryFile::Platform {

// flock() on the library file itself: a file replaced while a panel waited
// is locked anew, since the lock to take is the one on the file now at the
// path.
Lock::Lock(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const QDeadlineTimer deadline(kLockWaitMs);
    for (;;) {
        // Not blocking on a pipe put in its place; the write refuses that.
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return; // the write reports what is wrong with the file
        struct stat held
        { };
        struct stat now
        { };
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &now) == 0
                && held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
                handle = fd;
                return;
            }
        } else if (errno != EWOULDBLOCK) {
            ::close(fd); // a file system without locks: nothing to wait for
            return;
        }
        ::close(fd);
        if (deadline.hasExpired()) {
            isBusy = true;
            return;
        }
        QThread::msleep(10);
    }
}

Lock::~Lock()
{
    if (handle >= 0)
        ::close(int(handle)); // which releases the lock
}

bool replaceKeepsAll(const QString &path)
{
    // stat() follows a symbolic link: the file written is its target, in the
    // target's folder.
    struct stat file
    { };
    struct stat folder
    { };
    const QString target = QFileInfo(path).canonicalFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folderName = QFile::encodeName(QFileInfo(target).path());
    if (target.isEmpty() || ::stat(targetName.constData(), &file) != 0
        || ::stat(folderName.constData(), &folder) != 0)
        return true; // the write reports what is wrong
    // A new file belongs to the writer, and to the folder's group when the
    // folder passes its group on; the replacement carries over only the
    // read, write and execute bits, and gets the folder's default access
    // control list instead of the file's own one and its attributes.
    const gid_t newGroup = (folder.st_mode & S_ISGID) ? folder.st_gid : getegid();
    return file.st_nlink == 1 && file.st_uid == geteuid() && file.st_gid == newGroup
        && (file.st_mode & (S_ISUID | S_ISGID | S_ISVTX)) == 0
        && ::listxattr(targetName.constData(), nullptr, 0) <= 0
        && ::getxattr(folderName.constData(), "system.posix_acl_default", nullptr, 0) <= 0
        && ::access(folderName.constData(), W_OK | X_OK) == 0;
}

int mode(const QString &path)
{
    struct stat file
    { };
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 ? int(file.st_mode & 07777) : -1;
}

void restoreMode(const QString &path, int mode)
{
    // Where the panel may not set it, chmod() fails and the mode stays as the
    // write left it.
    if (mode >= 0 && Platform::mode(path) != mode)
        ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
}

bool syncToDisk(const QFileDevice &file)
{
    return ::fsync(file.handle()) == 0;
}

} // namespace LibraryFile::Platform
