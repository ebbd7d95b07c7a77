#include "testsupport.h"

#include "launcher/enginepaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMutex>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

Workspace::Workspace(const QByteArray &libraryBytes)
    : previousDir(QDir::currentPath())
{
    if (!dir.isValid())
        return;
    QDir rootDir(dir.path());
    const QString query = QStringLiteral("torvik_stream_query_engine");
    if (!rootDir.mkpath(QStringLiteral("panel")) || !rootDir.mkpath(query + "/template")
        || !rootDir.mkpath(query + "/queryplan"))
        return;
    const QDir demoTemplates(QStringLiteral(PANEL_DEMO_DIR "/torvik_stream_query_engine/template"));
    for (const QString &name : demoTemplates.entryList(QDir::Files)) {
        if (!QFile::copy(demoTemplates.filePath(name), templatePath(name)))
            return;
    }
    writeBytes(libraryPath(), libraryBytes);
    valid = QDir::setCurrent(panelDir());
}

Workspace::~Workspace()
{
    QDir::setCurrent(previousDir);
    // Undo permission changes a test made, so that the folder can go.
    QDir rootDir(dir.path());
    for (const QString &sub : {QStringLiteral("torvik_stream_query_engine"),
                               QStringLiteral("torvik_stream_query_engine/queryplan"),
                               QStringLiteral("torvik_stream_query_engine/template")}) {
        QFile::setPermissions(rootDir.filePath(sub),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QStringList Workspace::planFiles() const
{
    QStringList names = QDir(queryEngineDir() + QStringLiteral("/queryplan"))
                            .entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

bool Workspace::installStandInEngines() const
{
    for (const EngineEntry &engine : engineTable()) {
        const QString target = QDir(panelDir()).absoluteFilePath(engine.program);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(QStringLiteral(PANEL_STANDIN_ENGINE), target))
            return false;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return true;
}

// ---- debug capture ----

namespace {

QMutex captureMutex;
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&captureMutex);
        captured << message;
    }
    if (type == QtFatalMsg && previousHandler)
        previousHandler(type, context, message);
}

} // namespace

DebugCapture::DebugCapture()
{
    clear();
    previousHandler = qInstallMessageHandler(captureHandler);
}

DebugCapture::~DebugCapture()
{
    qInstallMessageHandler(previousHandler);
}

QStringList DebugCapture::lines() const
{
    QMutexLocker lock(&captureMutex);
    return captured;
}

void DebugCapture::clear()
{
    QMutexLocker lock(&captureMutex);
    captured.clear();
}

// ---- message boxes ----

struct BoxCatcher::Impl
{
    QTimer timer;
    QVector<SeenBox> boxes;
};

BoxCatcher::BoxCatcher()
    : d(std::make_unique<Impl>())
{
    d->timer.setInterval(20);
    QObject::connect(&d->timer, &QTimer::timeout, [this] {
        const auto topLevels = QApplication::topLevelWidgets();
        for (QWidget *widget : topLevels) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible() || box->property("panelTestSeen").toBool())
                continue;
            box->setProperty("panelTestSeen", true);
            SeenBox seen;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
            seen.hadParent = box->parentWidget() != nullptr;
            d->boxes << seen;
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        }
    });
    d->timer.start();
}

BoxCatcher::~BoxCatcher() = default;

const QVector<SeenBox> &BoxCatcher::boxes() const
{
    return d->boxes;
}

void BoxCatcher::clear()
{
    d->boxes.clear();
}

// ---- the window ----

void Panel::save(const QString &planName)
{
    widget<QLineEdit>("lEditSaveFileName")->setText(planName);
    save();
}

bool Panel::select(int row)
{
    auto *view = widget<QListView>("listView");
    if (!view->model() || row >= view->model()->rowCount())
        return false;
    view->setCurrentIndex(view->model()->index(row, 0));
    return true;
}

QStringList Panel::listed() const
{
    QStringList rows;
    if (const QAbstractItemModel *model = widget<QListView>("listView")->model()) {
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
    }
    return rows;
}

QStringList Panel::seen() const
{
    QStringList lines;
    for (const SeenBox &box : boxes.boxes()) {
        const bool plain =
            box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok && !box.hadParent;
        lines << boxLine(box.title, box.text) + (plain ? "" : " [odd box]");
    }
    return lines;
}

QString boxLine(const QString &title, const QString &text)
{
    return title + QStringLiteral(" | ") + text;
}

// ---- folder images ----

TreeImage treeImage(const QString &root)
{
    TreeImage image;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray &entry = image[base.relativeFilePath(path)];
        if (info.isSymLink())
            entry = "link -> " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            entry = "<folder>";
        else if (!info.isFile())
            entry = "<special>";
        else if (info.size() > 64 * 1024 * 1024)
            entry = "<large " + QByteArray::number(info.size()) + '>';
        else if (!info.isReadable())
            entry = "<unreadable>";
        else
            entry = readBytes(path);
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

// ---- process limits ----

struct FileSizeLimit::Impl
{
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

FileSizeLimit::FileSizeLimit(qint64 bytes)
    : d(std::make_unique<Impl>())
{
    d->previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &d->previous);
    rlimit lowered = d->previous;
    lowered.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &d->previous);
    std::signal(SIGXFSZ, d->previousHandler);
}

bool privileged()
{
    return geteuid() == 0;
}

namespace {

const uid_t nobody = 65534;

// Whether the unprivileged user can reach what the tests need: the demo
// templates and the stand-in engine, which lie wherever the tree was cloned.
bool nobodyReachesTestFiles()
{
    const bool switched = setegid(nobody) == 0 && seteuid(nobody) == 0;
    const bool reaches = switched && eaccess(PANEL_DEMO_DIR, R_OK | X_OK) == 0
        && eaccess(PANEL_STANDIN_ENGINE, R_OK | X_OK) == 0;
    const bool restored = seteuid(0) == 0 && setegid(0) == 0;
    return restored && reaches;
}

bool dropPrivileges()
{
    if (!privileged())
        return true;
    if (!nobodyReachesTestFiles() || setgroups(0, nullptr) != 0 || setgid(nobody) != 0
        || setuid(nobody) != 0)
        return false;
    // A changed user makes the process undumpable, which would keep the leak
    // checker from inspecting its own threads.
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    return !privileged();
}

} // namespace

int runUnprivileged(QObject &test, int argc, char **argv)
{
    if (!dropPrivileges())
        std::fprintf(stderr,
                     "running as root (the unprivileged user cannot reach the test "
                     "files): permission cases are skipped\n");
    QApplication app(argc, argv);
    return QTest::qExec(&test, argc, argv);
}

// ---- watchdog ----

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
