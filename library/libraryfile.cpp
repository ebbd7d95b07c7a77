#include "library/libraryfile.h"

#include "workspace/files.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace LibraryFile {

bool changedOutside(const QString &path, const QByteArray &known)
{
    const Files::FileRead read = Files::readRegularFile(path);
    switch (read.status) {
    case Files::ReadStatus::Ok:
        return read.bytes != known;
    case Files::ReadStatus::TooLarge: // it was read whole before
        return true;
    case Files::ReadStatus::Missing:
    case Files::ReadStatus::NotRegular:
    case Files::ReadStatus::OpenFailed:
    case Files::ReadStatus::ReadFailed:
        return false;
    }
    Q_UNREACHABLE();
    return false;
}

bool lists(const QStringList &names, const QString &name)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    const QString wanted = name.trimmed();
    return std::any_of(names.cbegin(), names.cend(), [&](const QString &listed) {
        return QStringView(listed).trimmed().compare(wanted, sensitivity) == 0;
    });
}

bool replaceKeepsIdentity(const QString &path)
{
#ifdef Q_OS_UNIX
    // stat() follows a symbolic link: the file written is its target, in the
    // target's folder.
    struct stat file
    { };
    struct stat folder
    { };
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || ::stat(QFile::encodeName(target).constData(), &file) != 0
        || ::stat(QFile::encodeName(QFileInfo(target).path()).constData(), &folder) != 0)
        return true; // the write reports what is wrong
    // A new file belongs to the writer, and to the folder's group when the
    // folder passes its group on; the replacement carries over only the
    // read, write and execute bits.
    const gid_t newGroup = (folder.st_mode & S_ISGID) ? folder.st_gid : getegid();
    return file.st_nlink == 1 && file.st_uid == geteuid() && file.st_gid == newGroup
        && (file.st_mode & (S_ISUID | S_ISGID | S_ISVTX)) == 0;
#else
    Q_UNUSED(path)
    return true;
#endif
}

} // namespace LibraryFile
