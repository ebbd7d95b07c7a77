#include "workspace/files.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
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

FileRead readRegularFile(const QString &path)
{
    FileRead result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = systemErrorText(ENOENT);
        return result;
    }
    if (!info.isFile()) {
        result.status = FileRead::NotRegular;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = FileRead::OpenFailed;
        result.error = file.errorString();
        return result;
    }
    result.error = file.errorString();
    // Bounded even if the file grows or is swapped after the look above.
    if (info.size() > maxFileSize) {
        result.status = FileRead::TooLarge;
    } else if (!readBounded(file, result.bytes, info.size())) {
        result.status = FileRead::ReadFailed;
        result.error = file.errorString();
    } else {
        result.status = result.bytes.size() > maxFileSize ? FileRead::TooLarge : FileRead::Read;
    }
    if (result.status != FileRead::Read)
        result.bytes.clear();
    return result;
}

bool readBounded(QIODevice &device, QByteArray &bytes, qint64 sizeHint)
{
    // A chunk of the expected size reads a real file in one go.
    const qint64 chunkSize = qBound<qint64>(4096, sizeHint + 1, maxFileSize + 1);
    bytes.clear();
    while (bytes.size() <= maxFileSize) {
        const qint64 at = bytes.size();
        bytes.resize(at + qMin(chunkSize, maxFileSize + 1 - at));
        const qint64 got = device.read(bytes.data() + at, bytes.size() - at);
        bytes.resize(at + qMax<qint64>(got, 0));
        if (got < 0)
            return false;
        if (got == 0)
            break;
    }
    return true;
}

std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes)
{
    if (file.write(bytes) == bytes.size() && file.flush())
        return std::nullopt;
    // Every failing write or flush leaves its reason in errno; after a write
    // cut short Qt itself says only "Unknown error".
    return systemErrorText(errno);
}

} // namespace Files
