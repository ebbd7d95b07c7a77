#pragma once

// Tools for the tests that attack the panel with failing disks, hostile files
// and names, and sudden death: driving the real window, limiting the process,
// and pictures of the disk to compare before and after.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <memory>

class MainWin;
class QObject;

namespace Robust {

// Root ignores permission bits, so a test of read-only files proves nothing
// as root. Called before the application object exists: when running as root,
// the process continues as "nobody". Returns true when it now runs without
// privileges (also when it never had any).
bool dropPrivileges();

// A test's entry point that drops privileges first, then runs the QtTest
// object.
int runUnprivileged(QObject &test, int argc, char **argv);

// Lowers the largest file this process may write while it lives; a write past
// it fails with "File too large" instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit previous{};
};

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

// The window's controls, found by their object names, as an operator uses
// them.
class Panel
{
public:
    explicit Panel(MainWin &window);

    void save(const QString &planName);
    QStringList listed() const;
    bool select(int row);
    void remove();
    void launch();

private:
    MainWin &window;
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

// Every entry under a folder: relative path -> bytes of a file, the target of
// a symbolic link, or a mark for a folder or special file.
using TreeImage = QMap<QString, QByteArray>;

TreeImage treeImage(const QString &root);

// The paths whose entries differ between two images, for failure messages.
QStringList treeDifferences(const TreeImage &before, const TreeImage &after);

// The image without entries under any of the given relative paths.
TreeImage without(TreeImage image, const QStringList &relativePaths);

} // namespace Robust
