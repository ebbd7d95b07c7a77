#include "robustness.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace Robust {

struct Watchdog::Impl
{
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;
};

namespace {

qint64 residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

} // namespace

Watchdog::Watchdog(const QString &what, int seconds, qint64 maxResidentBytes)
    : d(std::make_unique<Impl>())
{
    const QByteArray label = what.toLocal8Bit();
    d->thread = std::thread([this, label, seconds, maxResidentBytes] {
        std::unique_lock<std::mutex> lock(d->mutex);
        for (int tick = 0; tick < seconds * 20; ++tick) {
            if (d->wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return d->done; }))
                return;
            if (residentBytes() > maxResidentBytes) {
                std::fprintf(stderr, "FAIL: %s: memory grew past %lld bytes\n", label.constData(),
                             static_cast<long long>(maxResidentBytes));
                std::_Exit(3);
            }
        }
        std::fprintf(stderr, "FAIL: %s: still running after %d s\n", label.constData(), seconds);
        std::_Exit(3);
    });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->done = true;
    }
    d->wake.notify_all();
    d->thread.join();
}

LibraryImage parseLibrary(const QByteArray &bytes)
{
    LibraryImage image;
    const QByteArray key = QByteArrayLiteral("NumberOfQueriesInLibrary");
    const qsizetype keyAt = bytes.indexOf(key);
    if (keyAt < 0) {
        image.problem = QStringLiteral("no key");
        return image;
    }
    const qsizetype lineEnd = bytes.indexOf("\r\n", keyAt);
    const qsizetype equals = bytes.indexOf('=', keyAt);
    if (equals < 0 || (lineEnd >= 0 && equals > lineEnd)) {
        image.problem = QStringLiteral("no \"=\" on the key's line");
        return image;
    }
    image.head = bytes.left(equals + 1);
    const QByteArray countText = bytes.mid(equals + 1, lineEnd < 0 ? -1 : lineEnd - equals - 1);
    bool digits = !countText.isEmpty();
    for (const char c : countText)
        digits = digits && c >= '0' && c <= '9';
    if (!digits || (countText.size() > 1 && countText.startsWith('0'))) {
        image.problem = QStringLiteral("count text \"%1\"").arg(QString::fromLatin1(countText));
        return image;
    }
    image.count = countText.toInt();
    if (lineEnd >= 0) {
        const QByteArray rest = bytes.mid(lineEnd + 2);
        for (qsizetype from = 0;;) {
            const qsizetype at = rest.indexOf("\r\n", from);
            image.names << rest.mid(from, at < 0 ? -1 : at - from);
            if (at < 0)
                break;
            from = at + 2;
        }
        for (const QByteArray &name : qAsConst(image.names)) {
            if (name.contains('\n') || name.contains('\r')) {
                image.problem = QStringLiteral("a bare line end among the names");
                return image;
            }
        }
    }
    if (image.count != image.names.size()) {
        image.problem =
            QStringLiteral("count %1 with %2 names").arg(image.count).arg(image.names.size());
        return image;
    }
    image.wellFormed = true;
    return image;
}

} // namespace Robust
