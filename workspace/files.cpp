#include "workspace/files.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace Files {

QString maxFileSizeText()
{
    return QString::number(maxFileSize / (1024 * 1024)) + QStringLiteral(" MiB");
}

QString systemErrorText(int errorNumber)
{
    return QString::fromStdString(std::generic_category().message(errorNumber));
}

void failWritesPastSizeLimit()
{
#ifdef Q_OS_UNIX
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool isLatin1(QStringView text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
}

FileRead readRegularFile(const QString &path)
{
    FileRead result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = systemErrorText(ENOENT);
        return result;
    }
    if (!info.isFile()) {
        result.status = ReadStatus::NotRegular;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::OpenFailed;
        result.error = file.errorString();
        return result;
    }
    // The size looked at spares reading a huge file; the bounded read still
    // stops one that grew or was swapped since.
    if (info.size() > maxFileSize)
        result.status = ReadStatus::TooLarge;
    else if (!readBounded(file, result.bytes, info.size()))
        result.status = ReadStatus::ReadFailed;
    else
        result.status = result.bytes.size() > maxFileSize ? ReadStatus::TooLarge : ReadStatus::Ok;
    result.error = file.errorString();
    if (result.status != ReadStatus::Ok)
        result.bytes.clear();
    return result;
}

bool readBounded(QIODevice &device, QByteArray &bytes, qint64 expected)
{
    // Room for one byte past the size expected tells a file that grew since,
    // which then gets room for one byte past the cap, to tell a file at the
    // cap from a larger one.
    qint64 size = 0;
    qint64 got = 0;
    for (qint64 room = qBound(0, expected, maxFileSize) + 1;; room = maxFileSize + 1) {
        bytes.resize(room);
        while (size < room && (got = device.read(bytes.data() + size, room - size)) > 0)
            size += got;
        if (size < room || room > maxFileSize)
            break;
    }
    bytes.truncate(size);
    return got >= 0;
}

std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes)
{
    if (file.write(bytes) == bytes.size() && file.flush())
        return std::nullopt;
#ifdef Q_OS_WIN
    // Qt writes through the Win32 calls, which set no errno; the device
    // keeps the system's reason.
    return file.errorString();
#else
    // Every failing write or flush leaves its reason in errno; after a write
    // cut short Qt itself says only "Unknown error".
    return systemErrorText(errno);
#endif
}

} // namespace Files
