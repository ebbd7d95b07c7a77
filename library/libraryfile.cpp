#include "library/libraryfile.h"

#include "library/libraryfile_p.h"
#include "library/librarytext.h"
#include "workspace/files.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <algorithm>
#include <array>
#include <cerrno>

namespace LibraryFile {

namespace {

using Status = Outcome::Status;

// Checked as the very last step before the file is rewritten in place.
Outcome writeInPlace(const QString &path, const QByteArray &known, const QByteArray &bytes)
{
    if (changedOutside(path, known))
        return {Status::ChangedOutside, {}, known};
    const int mode = Platform::mode(path);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {Status::OpenFailed, out.errorString(), known};
    if (const auto failed = Files::writeAll(out, bytes)) {
        // What a write cut short left is the panel's own, which the next
        // write must not take for another writer's.
        const Files::FileRead left = Files::readRegularFile(path);
        return {Status::WriteFailed, *failed,
                left.status == Files::ReadStatus::Ok ? left.bytes : known};
    }
    // An owner without the privilege to keep them loses the set-user-id and
    // set-group-id bits with the write.
    Platform::restoreMode(path, mode);
    return {Status::Written, {}, bytes};
}

// The copy is written and on the disk before the last check, so that what is
// left between that check and the file's replacement is the rename alone.
Outcome replace(const QString &path, const QByteArray &known, const QByteArray &bytes)
{
    const int mode = Platform::mode(path);
    const QDeadlineTimer deadline(Platform::kLockWaitMs);
    for (;;) {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return {Status::OpenFailed, out.errorString(), known};
        // commit() can report success after its final flush failed and then
        // replaces the file with a short copy: flush first.
        std::optional<QString> failed = Files::writeAll(out, bytes);
        if (!failed && !Platform::syncToDisk(out))
            failed = Files::systemErrorText(errno);
        if (failed) {
            out.cancelWriting();
            return {Status::WriteFailed, *failed, known};
        }
        if (changedOutside(path, known)) {
            out.cancelWriting();
            return {Status::ChangedOutside, {}, known};
        }
        if (out.commit()) {
            // The copy takes the file's permissions as Qt sees them for the
            // panel's user, which for root adds bits that the owner lacked.
            Platform::restoreMode(path, mode);
            return {Status::Written, {}, bytes};
        }
        // Windows refuses the rename while anything has the file open, for as
        // long as that lasts: another panel's check, say.
        if (out.error() != QFileDevice::RenameError || deadline.hasExpired())
            return {Status::WriteFailed, out.errorString(), known};
        QThread::msleep(10);
    }
}

} // namespace

bool changedOutside(const QString &path, const QByteArray &known)
{
    // Compared piece by piece: a library of 16 MiB needs no second copy.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    if (file.size() != known.size())
        return true;
    std::array<char, 64 * 1024> piece;
    for (qsizetype at = 0;;) {
        const qint64 got = file.read(piece.data(), qint64(piece.size()));
        if (got <= 0)
            return got == 0 && at != known.size(); // a read that fails: the write reports it
        if (at + got > known.size()
            || !std::equal(piece.data(), piece.data() + got, known.constData() + at))
            return true;
        at += got;
    }
}

bool lists(const QStringList &names, const QString &name)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    const QStringView wanted = LibraryText::fileName(name);
    return std::any_of(names.cbegin(), names.cend(), [&](const QString &listed) {
        return LibraryText::fileName(listed).compare(wanted, sensitivity) == 0;
    });
}

Outcome write(const QString &path, const QByteArray &known, const QByteArray &bytes)
{
    if (bytes.size() > Files::maxFileSize)
        return {Status::TooLarge, {}, known};
    const Platform::Lock lock(path);
    if (lock.busy())
        return {Status::ChangedOutside, {}, known};
    const QFileInfo info(path);
    // QSaveFile would create a missing file; the library file never is.
    if (!info.exists())
        return {Status::OpenFailed, Files::systemErrorText(ENOENT), known};
    if (!info.isFile())
        return {Status::NotRegular, {}, known};
    return Platform::replaceKeepsAll(path) ? replace(path, known, bytes)
                                           : writeInPlace(path, known, bytes);
}

} // namespace LibraryFile
