#pragma once

#include <QFileDevice>
#include <QString>

#include <cerrno>

// Writes all bytes and flushes them. QFile buffers, so a full disk or a
// file-size limit shows only at the flush, and a write cut short part-way
// leaves nothing but "Unknown error" in the device; the system's reason is
// still in errno, so it is kept for the operator.
inline bool writeAllBytes(QFileDevice &file, const QByteArray &bytes, QString &error)
{
    errno = 0;
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    const int reason = errno;
    error = reason != 0 ? qt_error_string(reason) : file.errorString();
    return false;
}
