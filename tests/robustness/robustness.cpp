#include "robustness.h"

#include "app/mainwin.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <grp.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace Robust {

namespace {

// Whether the unprivileged user can reach what the tests need: the demo
// templates and the stand-in engine, which lie wherever the tree was cloned.
bool nobodyReachesTestFiles(uid_t nobody, gid_t nobodyGroup)
{
    const bool switched = setegid(nobodyGroup) == 0 && seteuid(nobody) == 0;
    const bool reaches = switched && eaccess(PANEL_DEMO_DIR, R_OK | X_OK) == 0
        && eaccess(PANEL_STANDIN_ENGINE, R_OK | X_OK) == 0;
    const bool restored = seteuid(0) == 0 && setegid(0) == 0;
    return restored && reaches;
}

} // namespace

bool dropPrivileges()
{
    if (geteuid() != 0)
        return true;
    const gid_t nobodyGroup = 65534;
    const uid_t nobody = 65534;
    if (!nobodyReachesTestFiles(nobody, nobodyGroup))
        return false;
    if (setgroups(0, nullptr) != 0 || setgid(nobodyGroup) != 0 || setuid(nobody) != 0)
        return false;
    // A changed user makes the process undumpable, which would keep the leak
    // checker from inspecting its own threads.
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    return geteuid() != 0;
}

int runUnprivileged(QObject &test, int argc, char **argv)
{
    if (!dropPrivileges())
        std::fprintf(stderr,
                     "running as root (the unprivileged user cannot reach the test "
                     "files): permission cases are skipped\n");
    QApplication app(argc, argv);
    return QTest::qExec(&test, argc, argv);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit lowered = previous;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous);
}

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

Panel::Panel(MainWin &window)
    : window(window)
{ }

void Panel::save(const QString &planName)
{
    window.findChild<QLineEdit *>(QStringLiteral("lEditSaveFileName"))->setText(planName);
    window.findChild<QPushButton *>(QStringLiteral("pbt_save"))->click();
}

QStringList Panel::listed() const
{
    QStringList rows;
    const auto *view = window.findChild<QListView *>(QStringLiteral("listView"));
    if (const QAbstractItemModel *model = view->model()) {
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
    }
    return rows;
}

bool Panel::select(int row)
{
    auto *view = window.findChild<QListView *>(QStringLiteral("listView"));
    if (!view->model() || row >= view->model()->rowCount())
        return false;
    view->setCurrentIndex(view->model()->index(row, 0));
    return true;
}

void Panel::remove()
{
    window.findChild<QPushButton *>(QStringLiteral("pbt_remove"))->click();
}

void Panel::launch()
{
    window.findChild<QPushButton *>(QStringLiteral("pbt_launch"))->click();
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

TreeImage treeImage(const QString &root)
{
    TreeImage image;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = base.relativeFilePath(path);
        if (info.isSymLink())
            image.insert(relative, "link -> " + info.symLinkTarget().toUtf8());
        else if (info.isDir())
            image.insert(relative, QByteArrayLiteral("<folder>"));
        else if (!info.isFile())
            image.insert(relative, QByteArrayLiteral("<special>"));
        else if (info.size() > 64 * 1024 * 1024)
            image.insert(relative, "<large " + QByteArray::number(info.size()) + '>');
        else {
            QFile file(path);
            image.insert(relative,
                         file.open(QIODevice::ReadOnly) ? file.readAll()
                                                        : QByteArrayLiteral("<unreadable>"));
        }
    }
    return image;
}

QStringList treeDifferences(const TreeImage &before, const TreeImage &after)
{
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            changed << QStringLiteral("gone: ") + it.key();
        else if (after.value(it.key()) != it.value())
            changed << QStringLiteral("changed: ") + it.key();
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            changed << QStringLiteral("new: ") + it.key();
    }
    return changed;
}

TreeImage without(TreeImage image, const QStringList &relativePaths)
{
    for (auto it = image.begin(); it != image.end();) {
        bool excluded = false;
        for (const QString &path : relativePaths)
            excluded = excluded || it.key() == path || it.key().startsWith(path + u'/');
        it = excluded ? image.erase(it) : std::next(it);
    }
    return image;
}

} // namespace Robust
