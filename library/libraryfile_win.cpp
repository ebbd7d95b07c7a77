#include "library/libraryfile_p.h"

#include <QCryptographicHash>
#include <QFileInfo>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace LibraryFile::Platform {

// A named mutex: Windows cannot replace a file that the panel holds open, and
// the name, made from the library's full path, needs no file of its own.
Lock::Lock(const QString &path)
{
    const QFileInfo info(path);
    const QString target =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QString name =
        QStringLiteral("Local\\stream_panel-library-")
        + QString::fromLatin1(
            QCryptographicHash::hash(target.toLower().toUtf8(), QCryptographicHash::Sha1).toHex());
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(name.utf16()));
    if (!mutex)
        return;
    const DWORD waited = WaitForSingleObject(mutex, kLockWaitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        handle = reinterpret_cast<qintptr>(mutex);
        return;
    }
    CloseHandle(mutex);
    isBusy = waited == WAIT_TIMEOUT;
}

Lock::~Lock()
{
    if (handle != -1) {
        const HANDLE mutex = reinterpret_cast<HANDLE>(handle);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

// A replacement keeps what Windows keeps on a renamed file.
bool replaceKeepsAll(const QString &)
{
    return true;
}

int mode(const QString &)
{
    return -1;
}

void restoreMode(const QString &, int) { }

// QSaveFile::commit() flushes the copy to the disk itself.
bool syncToDisk(const QFileDevice &)
{
    return true;
}

} // namespace LibraryFile::Platform
