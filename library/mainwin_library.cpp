// MainWin's plan library: loading the library configuration file, registering
// a saved plan, and removing plans.

#include "app/mainwin.h"

#include "app/messages.h"
#include "app/writeerror.h"
#include "launcher/enginepaths.h"
#include "library/librarytext.h"
#include "library/planlistdelegate.h"
#include "ui_mainwin.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QStringListModel>

#include <cerrno>
#include <optional>

namespace {

// Reads the whole file, refusing anything but a regular file of a sane size:
// a pipe would block the panel and a device would flood it. Gives the text
// for the box when the bytes could not be had.
std::optional<QString> readLibraryBytes(QFile &file, QByteArray &bytes)
{
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return Msg::libraryNotRegularText;
    if (info.size() > LibraryText::maxFileSize)
        return Msg::libraryTooLargeText;
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString(); // a real attempt: a missing file says so
    // Bounded even if the file grows or is swapped after the check above;
    // a chunk of the expected size reads a real file in one go.
    const qint64 chunkSize = qBound<qint64>(4096, info.size() + 1, LibraryText::maxFileSize + 1);
    bytes.clear();
    while (bytes.size() <= LibraryText::maxFileSize) {
        const QByteArray chunk =
            file.read(qMin(chunkSize, LibraryText::maxFileSize + 1 - bytes.size()));
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    const bool failed = file.error() != QFileDevice::NoError;
    const QString error = file.errorString();
    file.close();
    if (failed)
        return error;
    if (bytes.size() > LibraryText::maxFileSize)
        return Msg::libraryTooLargeText;
    return std::nullopt;
}

QString layoutProblemText(LibraryText::LayoutProblem problem)
{
    switch (problem) {
    case LibraryText::LayoutProblem::NoKey:
        return Msg::libraryNoKeyText;
    case LibraryText::LayoutProblem::NoSeparator:
        return Msg::libraryNoSeparatorText;
    case LibraryText::LayoutProblem::BareLineFeed:
        return Msg::libraryBareLineFeedText;
    case LibraryText::LayoutProblem::None:
        break;
    }
    return {};
}

} // namespace

// A failed load leaves planModel null; nothing below then touches the file,
// whose content was never read.
void MainWin::loadLibrary()
{
    configFile = std::make_unique<QFile>(EnginePaths::libraryFile());

    QByteArray bytes;
    std::optional<QString> problem = readLibraryBytes(*configFile, bytes);
    LibraryText::Library library;
    if (!problem) {
        library = LibraryText::parse(bytes);
        if (library.problem != LibraryText::LayoutProblem::None)
            problem = layoutProblemText(library.problem);
    }
    if (problem) {
        qDebug() << "file open error!";
        QMessageBox::critical(nullptr, Msg::libraryOpenErrorTitle, *problem);
        return;
    }

    configText = bytes;
    countStart = library.countStart;
    countEnd = library.countEnd;
    planCount = library.count;
    qDebug() << " current number: " << planCount;
    planNames = library.names;
    qDebug() << "names " << planNames;
    if (!library.countMatchesNames()) {
        // Every write stores the number of names, so hold that from now on.
        qWarning() << "library count" << library.count << "differs from its" << planNames.size()
                   << "names; the names' number will be written";
        planCount = planNames.size();
    }

    planModel = std::make_unique<QStringListModel>();
    planModel->setStringList(planNames);
    ui->listView->setModel(planModel.get());
    // Every change of the list measures all rows again; known names are not
    // laid out twice.
    ui->listView->setItemDelegate(new PlanListDelegate(ui->listView));
    repaint();
}

void MainWin::registerPlan()
{
    // Save writes no plan while no library is loaded, so none reaches here.
    Q_ASSERT(planModel);
    ++planCount;
    planNames.append(planName);
    configText = LibraryText::rebuild(configText, countStart, planNames);
    // On failure the memory keeps the plan; the next successful write stores it.
    if (!writeLibraryFile(true))
        return;
    planModel->setStringList(planNames);
    repaint();
}

bool MainWin::writeLibraryFile(bool showFailure)
{
    QString title = Msg::libraryOpenErrorTitle;
    QString error;
    const QFileInfo info(configFile->fileName());
    if (!info.exists()) {
        // QSaveFile would create it; the library file never is.
        error = qt_error_string(ENOENT);
    } else if (!info.isFile()) {
        error = Msg::libraryNotRegularText;
    } else {
        // Written beside and renamed over the old file, so that a failure
        // leaves the old file whole.
        QSaveFile out(info.filePath());
        if (!out.open(QIODevice::WriteOnly)) {
            error = out.errorString();
        } else {
            // commit() can report success after its final flush failed and
            // then replaces the file with a short copy: flush first.
            title = Msg::libraryWriteErrorTitle;
            if (writeAllBytes(out, configText, error)) {
                if (out.commit())
                    return true;
                error = out.errorString();
            } else {
                out.cancelWriting();
            }
        }
    }
    if (showFailure)
        QMessageBox::critical(nullptr, title, error);
    else
        qWarning().noquote() << title << error << "- the library file is unchanged";
    return false;
}

void MainWin::onRemove()
{
    if (!planModel)
        return;
    // Replacing the model's list clears the selection, so an empty one is
    // common; without a row there is nothing to remove.
    const QModelIndexList selected = ui->listView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (row < 0 || row >= planNames.size())
        return;

    const QString name = planNames.takeAt(row);
    planModel->setStringList(planNames);
    qDebug() << "num before remove: " << planCount;
    if (planCount > 0)
        --planCount;
    qDebug() << "after " << planCount;
    configText = LibraryText::rebuild(configText, countStart, planNames);

    // The plan file goes only once the library no longer names it.
    if (!writeLibraryFile(false)) {
        qWarning().noquote() << "plan file kept:" << name;
        return;
    }
    if (!LibraryText::isPlanFileName(name)) {
        qWarning().noquote() << "not a plan file name, nothing deleted:" << name;
        return;
    }
    planFile = std::make_unique<QFile>(EnginePaths::planFolder() + name.trimmed());
    planFile->remove();
}
