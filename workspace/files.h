#pragma once

// Reading and writing the workspace's files: every file the panel reads is
// a regular file of bounded size, and every write checks that all its bytes
// reached the disk.

#include <QByteArray>
#include <QString>

#include <optional>

class QFileDevice;
class QIODevice;

namespace Files {

// No template or library comes near this; a larger file is not read at all.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;

// The cap in words, for the texts that name it ("16 MiB").
QString maxFileSizeText();

enum class ReadStatus {
    Ok,         // bytes holds the whole file, possibly nothing
    Missing,    // nothing, or a dangling link, at the path
    NotRegular, // a folder, pipe or device: a pipe would block, a device never end
    OpenFailed,
    TooLarge,
    ReadFailed, // the read broke off part-way
};

struct FileRead
{
    ReadStatus status = ReadStatus::Missing;
    QByteArray bytes; // empty unless the status is Ok
    QString error;    // the system's reason; for an empty file, the file's own "Unknown error"
};

FileRead readRegularFile(const QString &path);

// Reads the device to its end, but never more than maxFileSize + 1 bytes,
// in a buffer for the size expected; false when a read failed, with the
// bytes read before it.
bool readBounded(QIODevice &device, QByteArray &bytes, qint64 expected);

// Writes all bytes and flushes them; the system's reason when that failed.
// QFile buffers, so a full disk or a file-size limit shows only at the flush.
std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes);

// The system's text for an error number, as the file classes give it.
QString systemErrorText(int errorNumber);

// Past a file-size limit (ulimit -f) a write fails with EFBIG instead of the kernel ending the
// panel with SIGXFSZ; called first thing in main.
void failWritesPastSizeLimit();

// Whether Latin-1 holds every character: the panel writes names and values
// into files as Latin-1, where any other character would become "?".
bool isLatin1(QStringView text);

} // namespace Files
