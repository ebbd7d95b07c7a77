#include "testsupport.h"

#include "launcher/enginepaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTimer>

#include <algorithm>

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

QString Workspace::root() const
{
    return dir.path();
}

QString Workspace::panelDir() const
{
    return dir.filePath(QStringLiteral("panel"));
}

QString Workspace::queryEngineDir() const
{
    return dir.filePath(QStringLiteral("torvik_stream_query_engine"));
}

QString Workspace::templatePath(const QString &name) const
{
    return queryEngineDir() + QStringLiteral("/template/") + name;
}

QString Workspace::planPath(const QString &name) const
{
    return queryEngineDir() + QStringLiteral("/queryplan/") + name;
}

QString Workspace::libraryPath() const
{
    return queryEngineDir() + QStringLiteral("/demo.qe_config");
}

QByteArray Workspace::libraryBytes() const
{
    return readBytes(libraryPath());
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
    for (const EngineSpec &engine : engineTable()) {
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
