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
#include <QStringListModel>

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

// Save and Remove show the same box for a library they could not write.
void showWriteProblem(const LibraryFile::Outcome &outcome)
{
    using Status = LibraryFile::Outcome::Status;
    switch (outcome.status) {
    case Status::Written:
        return;
    case Status::ChangedOutside:
        return ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryChangedText);
    case Status::NotRegular:
        return ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryNotRegularText);
    case Status::OpenFailed:
        return ErrorBox::show(Msg::libraryOpenErrorTitle, outcome.error);
    case Status::WriteFailed:
        return ErrorBox::show(Msg::libraryWriteErrorTitle, outcome.error);
    case Status::TooLarge:
        return ErrorBox::show(Msg::libraryWriteErrorTitle, Msg::libraryWouldGrowText());
    }
}

// The list shows the names in memory: those that a failed write kept there
// join it with the next write that stores them. As a new list would, it has
// no row selected afterwards: the selection goes first, while the rows it
// covers are still laid out, and then the removed row, if any.
void showNames(QAbstractItemView &view, QStringListModel &model, const QStringList &names,
               int removed = -1)
{
    view.selectionModel()->clear();
    if (removed >= 0)
        model.removeRows(removed, 1);
    const int first = model.rowCount();
    model.insertRows(first, int(names.size()) - first);
    for (int row = first; row < names.size(); ++row)
        model.setData(model.index(row), names.at(row));
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
    // Every change of the list lays it out again: one size for all rows keeps
    // that as quick for a million names as for ten.
    ui->listView->setUniformItemSizes(true);
    ui->listView->setItemDelegate(new PlanListDelegate(ui->listView));
    repaint();
}

// Save writes no plan while no library is loaded: no list would show it.
bool MainWin::libraryLoaded()
{
    if (!planModel)
        ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
    return bool(planModel);
}

// Each refusal comes before the plan file is written, so that none is left
// behind unlisted; the library text with the plan is what registration
// writes.
std::optional<QByteArray> MainWin::libraryTakesPlan()
{
    // Two rows of one file would lose it to the other at the first Remove.
    if (LibraryFile::lists(planNames, planName)) {
        ErrorBox::show(Msg::fileExistsTitle, Msg::nameListedText);
        return std::nullopt;
    }
    if (LibraryFile::changedOutside(configFile->fileName(), libraryOnDisk)) {
        ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryChangedText);
        return std::nullopt;
    }
    if (LibraryText::rebuiltSize(configText, countStart, planNames, {planName})
        > Files::maxFileSize) {
        ErrorBox::show(Msg::libraryWriteErrorTitle, Msg::libraryWouldGrowOnSaveText());
        return std::nullopt;
    }
    return LibraryText::rebuild(configText, countStart, planNames, {planName});
}

LibraryFile::Outcome MainWin::writeLibraryFile(const QByteArray &text)
{
    const LibraryFile::Outcome outcome =
        LibraryFile::write(configFile->fileName(), libraryOnDisk, text);
    libraryOnDisk = outcome.onDisk;
    return outcome;
}

void MainWin::registerPlan(const QByteArray &library)
{
    const LibraryFile::Outcome outcome = writeLibraryFile(library);
    if (outcome.status == LibraryFile::Outcome::Status::ChangedOutside) {
        // Nothing unlisted stays behind.
        planFile->remove();
        return showWriteProblem(outcome);
    }
    // After any other failure the memory keeps the plan; the next write that
    // succeeds stores it.
    ++planCount;
    planNames.append(planName);
    configText = library;
    if (outcome.status != LibraryFile::Outcome::Status::Written)
        return showWriteProblem(outcome);
    showNames(*ui->listView, *planModel, planNames);
    repaint();
}

void MainWin::onRemove()
{
    if (!planModel)
        return;
    // The list's selection is cleared after every change, so an empty one is
    // common; without a row there is nothing to remove.
    const QModelIndexList selected = ui->listView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    qDebug() << "num before remove: " << planCount;
    qDebug() << "after " << planCount - 1;
    // The row goes only once the library no longer names it, and the plan
    // file only after that.
    const QString name = planNames.takeAt(row);
    const QByteArray text = LibraryText::rebuild(configText, countStart, planNames);
    const LibraryFile::Outcome outcome = writeLibraryFile(text);
    if (outcome.status != LibraryFile::Outcome::Status::Written) {
        planNames.insert(row, name);
        qWarning().noquote() << "plan file kept:" << name;
        return showWriteProblem(outcome);
    }
    --planCount; // it counts the names, so it was at least 1
    configText = text;
    showNames(*ui->listView, *planModel, planNames, row);

    const std::optional<QString> path = PlanName::planFilePath(LibraryText::fileName(name));
    // Names in a hand-edited library are never paths out of the plan folder,
    // nor another file's name.
    if (!path) {
        qWarning().noquote() << "not a plan file name, nothing deleted:" << name;
        return;
    }
    // Another row naming the same file keeps it.
    if (LibraryFile::lists(planNames, name))
        return;
    planFile = std::make_unique<QFile>(*path);
    if (!planFile->remove() && planFile->exists())
        qWarning().noquote() << "cannot delete the plan file" << planFile->fileName() << "-"
                             << planFile->errorString();
}
