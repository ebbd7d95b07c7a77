// MainWin's plan library: loading the library configuration file, registering
// a saved plan, and removing plans.

#include "app/mainwin.h"

#include "app/errorbox.h"
#include "app/messages.h"
#include "composer/planname.h"
#include "library/libraryfile.h"
#include "library/librarytext.h"
#include "library/planlistdelegate.h"
#include "ui_mainwin.h"
#include "workspace/files.h"
#include "workspace/paths.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringListModel>

#include <cerrno>
#include <optional>

namespace {

// The text for the box when the library's bytes could not be had.
std::optional<QString> readProblem(const Files::FileRead &read)
{
    switch (read.status) {
    case Files::ReadStatus::Ok:
        return std::nullopt;
    case Files::ReadStatus::NotRegular:
        return Msg::libraryNotRegularText;
    case Files::ReadStatus::TooLarge:
        return Msg::libraryTooLargeText();
    case Files::ReadStatus::Missing:
    case Files::ReadStatus::OpenFailed:
    case Files::ReadStatus::ReadFailed:
        return read.error; // the system's reason
    }
    Q_UNREACHABLE();
    return std::nullopt;
}

// Whether the library file changed since the panel last read or wrote it;
// then it is not overwritten, and the box says why.
bool refusedAsChanged(const QString &path, const QByteArray &onDisk)
{
    if (!LibraryFile::changedOutside(path, onDisk))
        return false;
    ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryChangedText);
    return true;
}

} // namespace

// A failed load leaves planModel null; nothing below then touches the file,
// whose content was never read.
void MainWin::loadLibrary()
{
    configFile = std::make_unique<QFile>(Paths::libraryFile());

    const Files::FileRead read = Files::readRegularFile(configFile->fileName());
    std::optional<QString> problem = readProblem(read);
    LibraryText::Library library;
    if (!problem) {
        library = LibraryText::parse(read.bytes);
        if (library.problem != LibraryText::LayoutProblem::None)
            problem = Msg::layoutProblemText(library.problem);
    }
    if (problem) {
        qDebug() << "file open error!";
        ErrorBox::show(Msg::libraryOpenErrorTitle, *problem);
        return;
    }

    configText = read.bytes;
    libraryOnDisk = read.bytes;
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

// Each refusal comes before the plan file is written, so that none is left
// behind unlisted.
bool MainWin::libraryTakesPlan()
{
    // Two rows of one file would lose it to the other at the first Remove.
    if (LibraryFile::lists(planNames, planName)) {
        ErrorBox::show(Msg::fileExistsTitle, Msg::nameListedText);
        return false;
    }
    if (refusedAsChanged(configFile->fileName(), libraryOnDisk))
        return false;
    // A larger library would be refused at the next start.
    if (LibraryText::rebuild(configText, countStart, planNames + QStringList{planName}).size()
        > Files::maxFileSize) {
        ErrorBox::show(Msg::libraryWriteErrorTitle, Msg::libraryWouldGrowText());
        return false;
    }
    return true;
}

// Save writes no plan while no library is loaded, so none reaches here.
void MainWin::registerPlan()
{
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
    bool writeFailed = false; // bytes may have reached the file; otherwise it was not opened
    QString error;
    const QFileInfo info(configFile->fileName());
    if (!info.exists()) {
        // QSaveFile would create it; the library file never is.
        error = Files::systemErrorText(ENOENT);
    } else if (!info.isFile()) {
        error = Msg::libraryNotRegularText;
    } else if (!LibraryFile::replaceKeepsIdentity(info.filePath())) {
        // A new file would lose the owner, group, special bits or links that
        // let the engines read the library: the file itself is rewritten.
        QFile out(info.filePath());
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = out.errorString();
        } else if (const auto failed = Files::writeAll(out, configText)) {
            writeFailed = true;
            error = *failed;
        } else {
            libraryOnDisk = configText;
            return true;
        }
    } else {
        // Written beside and renamed over the old file, so that a failure
        // leaves the old file whole. Where the folder takes no new file but
        // the library file is writable, it is written in place.
        QSaveFile out(info.filePath());
        out.setDirectWriteFallback(true);
        if (!out.open(QIODevice::WriteOnly)) {
            error = out.errorString();
        } else {
            // commit() can report success after its final flush failed and
            // then replaces the file with a short copy: flush first.
            writeFailed = true;
            if (const auto failed = Files::writeAll(out, configText)) {
                error = *failed;
                out.cancelWriting();
            } else if (out.commit()) {
                libraryOnDisk = configText;
                return true;
            } else {
                error = out.errorString();
            }
        }
    }
    // A write in place that broke off left part of the panel's own bytes,
    // which the next write must not take for another writer's; a replacement
    // that failed left the file as it was.
    if (writeFailed) {
        const Files::FileRead left = Files::readRegularFile(info.filePath());
        if (left.status == Files::ReadStatus::Ok)
            libraryOnDisk = left.bytes;
    }
    const QString &title = writeFailed ? Msg::libraryWriteErrorTitle : Msg::libraryOpenErrorTitle;
    if (showFailure)
        ErrorBox::show(title, error);
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
    if (refusedAsChanged(configFile->fileName(), libraryOnDisk))
        return;
    const QString name = planNames.takeAt(selected.first().row());
    planModel->setStringList(planNames);
    qDebug() << "num before remove: " << planCount;
    --planCount; // it counts the names, so it was at least 1
    qDebug() << "after " << planCount;
    configText = LibraryText::rebuild(configText, countStart, planNames);

    // The plan file goes only once the library no longer names it.
    if (!writeLibraryFile(false)) {
        qWarning().noquote() << "plan file kept:" << name;
        return;
    }
    // Names in a hand-edited library are never paths out of the plan folder.
    const QString fileName = name.trimmed();
    if (PlanName::folderEntry(fileName) != PlanName::FolderEntry::File) {
        qWarning().noquote() << "not a plan file name, nothing deleted:" << name;
        return;
    }
    // Another row naming the same file keeps it.
    if (LibraryFile::lists(planNames, fileName))
        return;
    planFile = std::make_unique<QFile>(Paths::planFolder() + fileName);
    if (!planFile->remove() && planFile->exists())
        qWarning().noquote() << "cannot delete the plan file" << planFile->fileName() << "-"
                             << planFile->errorString();
}
