#pragma once

// Helpers shared by the panel's tests: a throw-away workspace laid out like
// the operator's, capture of debug output, and capture of the modal boxes
// that the panel shows.

#include "app/mainwin.h"

#include <QByteArray>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

// A temporary workspace: "<root>/panel" is made the current directory, and
// "<root>/torvik_stream_query_engine" holds the demo's templates, an empty
// plan folder and a library file with the given bytes. The previous current
// directory is restored when it goes.
class Workspace
{
public:
    explicit Workspace(const QByteArray &libraryBytes =
                           QByteArrayLiteral("# library\r\nNumberOfQueriesInLibrary=0"));
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    bool isValid() const { return valid; }
    // The folder holding everything, the panel's current directory and
    // ".../torvik_stream_query_engine".
    QString root() const { return dir.path(); }
    QString panelDir() const { return dir.filePath(QStringLiteral("panel")); }
    QString queryEngineDir() const
    {
        return dir.filePath(QStringLiteral("torvik_stream_query_engine"));
    }
    QString templatePath(const QString &name) const
    {
        return queryEngineDir() + QStringLiteral("/template/") + name;
    }
    QString planPath(const QString &name) const
    {
        return queryEngineDir() + QStringLiteral("/queryplan/") + name;
    }
    QString libraryPath() const { return queryEngineDir() + QStringLiteral("/demo.qe_config"); }
    QByteArray libraryBytes() const { return readBytes(libraryPath()); }
    QStringList planFiles() const; // names in the plan folder, sorted

    // Puts a stand-in engine program at each engine's program path.
    bool installStandInEngines() const;

private:
    QTemporaryDir dir;
    QString previousDir;
    bool valid = false;
};

// Collects every debug, warning and info line while it lives.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture &) = delete;
    DebugCapture &operator=(const DebugCapture &) = delete;

    QStringList lines() const;
    void clear();
};

// A message box as the operator saw it.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool hadParent = false;
};

// Watches for modal message boxes while it lives, records each one and
// closes it with its OK button (or rejects it), so that code that shows a
// box can run to its end inside a test.
class BoxCatcher
{
public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher &) = delete;
    BoxCatcher &operator=(const BoxCatcher &) = delete;

    const QVector<SeenBox> &boxes() const;
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The window as the operator drives it, built with its boxes and debug lines
// caught from the start.
class Panel
{
public:
    BoxCatcher boxes;
    DebugCapture debug;
    MainWin window;

    Panel() = default;
    Panel(const Panel &) = delete;
    Panel &operator=(const Panel &) = delete;

    template<typename T> T *widget(const char *name) const
    {
        return window.findChild<T *>(QLatin1String(name));
    }
    void save() { widget<QPushButton>("pbt_save")->click(); } // as the name field stands
    void save(const QString &planName);
    bool select(int row);
    void remove() { widget<QPushButton>("pbt_remove")->click(); }
    void launch() { widget<QPushButton>("pbt_launch")->click(); }
    QStringList listed() const; // empty also while no library is loaded
    // Each box as "title | text", marked unless critical, parentless, OK alone.
    QStringList seen() const;
};

QString boxLine(const QString &title, const QString &text);

// Every entry under a folder, links not followed: relative path -> bytes of a
// file, the target of a link, or a mark for a folder, a special or huge file.
using TreeImage = QMap<QString, QByteArray>;
TreeImage treeImage(const QString &root);
// "gone: p", "changed: p" and "new: p" for each path that differs.
QStringList treeDifferences(const TreeImage &before, const TreeImage &after);

// Lowers the largest file this process may write while it lives; a write past
// it fails with "File too large" instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Root ignores permission bits, so a test of read-only files proves nothing
// as root: before the application object exists, the process continues as
// "nobody" when that user can reach the test files. Then runs the tests.
int runUnprivileged(QObject &test, int argc, char **argv);
bool privileged();

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
