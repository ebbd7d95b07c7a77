#pragma once

// Tools for the tests that attack the panel with failing disks, hostile files
// and names, and sudden death: a watchdog for hangs and an independent reader
// of the library file.

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace Robust {

// Aborts the process with a message when the code under test hangs or eats
// memory, since neither can be caught from the blocked thread itself.
class Watchdog
{
public:
    Watchdog(const QString &what, int seconds, qint64 maxResidentBytes = 1024LL * 1024 * 1024);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A library file as the query engine reads it.
struct LibraryImage
{
    bool wellFormed = false;
    QString problem; // why it is not, for the failure message
    QByteArray head; // preamble, key and separator up to and including "="
    int count = -1;
    QList<QByteArray> names;
};

LibraryImage parseLibrary(const QByteArray &bytes);

} // namespace Robust
