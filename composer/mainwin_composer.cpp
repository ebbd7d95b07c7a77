// MainWin's plan composer: plan options and the suggested file name, the
// plan template with its parameters, and saving a plan.

#include "app/mainwin.h"

#include "app/errorbox.h"
#include "app/messages.h"
#include "composer/datasources.h"
#include "composer/planname.h"
#include "composer/plantemplate.h"
#include "ui_mainwin.h"
#include "workspace/files.h"
#include "workspace/paths.h"

#include <QDebug>
#include <QFile>

#include <optional>

void MainWin::dataSourceSwitched(int index)
{
    if (const DataSources::Source *source = DataSources::at(index)) {
        // The word is followed by one blank, as the debug stream has always
        // ended it.
        qDebug().nospace().noquote() << source->debugWord << ' ';
        sourceName = source->sourceName;
        sourceRef = source->sourceRef;
    }
    updateSaveFileName();
}

void MainWin::onRbtEvo(bool)
{
    withEvo = true;
    updateSaveFileName();
}

void MainWin::onRbtNoEvo()
{
    withEvo = false;
    updateSaveFileName();
}

void MainWin::onCBox(bool checked)
{
    withSum = checked;
    updateSaveFileName();
}

void MainWin::updateSaveFileName()
{
    ui->lEditSaveFileName->setText(DataSources::suggestedFileName(sourceName, withEvo, withSum));
    repaint();
}

namespace {

struct Box
{
    QString title;
    QString text;
};

// Why a template that was read cannot be filled in; none when it can.
std::optional<Box> templateProblem(const Files::FileRead &read, const QString &path)
{
    switch (read.status) {
    case Files::ReadStatus::Missing:
        return Box{Msg::fileMissingTitle, Msg::templateMissingText};
    case Files::ReadStatus::NotRegular:
        return Box{Msg::fileMissingTitle, Msg::templateOpenFailedText + Msg::notRegularFileText};
    case Files::ReadStatus::OpenFailed:
        return Box{Msg::fileMissingTitle, Msg::templateOpenFailedText + read.error};
    case Files::ReadStatus::TooLarge:
        return Box{Msg::fileReadingErrorTitle, Msg::templateTooLargeText()};
    case Files::ReadStatus::ReadFailed: // nothing was kept: the empty text's box below
    case Files::ReadStatus::Ok:
        break;
    }
    // An empty template, or a read that broke off: the file's own reason.
    if (read.bytes.isEmpty())
        return Box{Msg::fileReadingErrorTitle, read.error};
    // A replacement at a missing placeholder would damage the plan.
    if (const auto missing = PlanTemplate::missingPlaceholder(read.bytes))
        return Box{Msg::fileReadingErrorTitle, Msg::placeholderMissingText(*missing, path)};
    return std::nullopt;
}

} // namespace

// Each step runs only when the one before it succeeded; a step that refuses
// has shown its box. What the window says is read once, here and in
// substituteParameters().
void MainWin::onSave()
{
    planName = ui->lEditSaveFileName->text();
    const DataSources::TemplateChoice choice = DataSources::templateChoice(
        ui->dataSourceComBox->currentIndex(), ui->cbox_sum->isChecked());
    if (!planNameAccepted() || !readPlanTemplate(choice) || !substituteParameters(choice.path)
        || !libraryLoaded() || !planPathFree())
        return;
    const std::optional<QByteArray> library = libraryTakesPlan();
    if (!library || !writeQueryPlan())
        return;
    registerPlan(*library);
}

bool MainWin::planNameAccepted()
{
    const auto problem = PlanName::problem(planName);
    if (problem)
        ErrorBox::show(Msg::namingErrorTitle, Msg::planNameProblemText(*problem));
    return !problem;
}

bool MainWin::readPlanTemplate(const DataSources::TemplateChoice &choice)
{
    if (choice.schemaId)
        schemaId = *choice.schemaId;
    const Files::FileRead read = Files::readRegularFile(choice.path);
    qDebug() << choice.path;
    qDebug() << "templateFile exists " << (read.status != Files::ReadStatus::Missing);
    if (const auto box = templateProblem(read, choice.path)) {
        ErrorBox::show(box->title, box->text);
        return false;
    }
    planText = read.bytes;
    return true;
}

bool MainWin::substituteParameters(const QString &templatePath)
{
    const PlanTemplate::Values values{sourceRef,
                                      schemaId,
                                      withEvo,
                                      {ui->editWindowSize->text(), ui->editSlideSize->text(),
                                       ui->editRangeThres->text(), ui->editCountThres->text()}};
    const std::vector<PlanTemplate::Fill> fills = PlanTemplate::fills(values);
    // The log shows the template with its source alone filled in, before the
    // parameters are checked.
    QByteArray withSource = planText;
    PlanTemplate::fill(withSource, {fills.front()});
    qDebug() << withSource;

    if (const auto problem = PlanTemplate::parameterProblem(values.parameters)) {
        ErrorBox::show(Msg::parameterErrorTitle, Msg::parameterProblemText(*problem));
        return false;
    }
    if (const auto joined = PlanTemplate::fill(planText, fills)) {
        ErrorBox::show(Msg::fileReadingErrorTitle,
                       Msg::placeholderJoinedText(*joined, templatePath));
        return false;
    }
    return true;
}

// A plan is never written over anything: a file, a folder or a link.
bool MainWin::planPathFree()
{
    const bool taken = PlanName::taken(PlanName::path(planName));
    if (taken)
        ErrorBox::show(Msg::fileExistsTitle, Msg::fileExistsText);
    return !taken;
}

bool MainWin::writeQueryPlan()
{
    planFile = std::make_unique<QFile>(PlanName::path(planName));
    // NewOnly creates the file only if nothing is there, in the same step, so
    // that nothing is ever overwritten and no symbolic link is followed.
    if (!planFile->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (PlanName::taken(planFile->fileName()))
            ErrorBox::show(Msg::fileExistsTitle, Msg::fileExistsText);
        else
            ErrorBox::show(Msg::fileOpenFailedTitle, planFile->errorString());
        return false;
    }
    if (const auto error = Files::writeAll(*planFile, planText)) {
        // No partial plan stays behind.
        planFile->close();
        planFile->remove();
        ErrorBox::show(Msg::fileWriteFailedTitle, *error);
        return false;
    }
    planFile->close();
    qDebug() << planText << "\ntest";
    return true;
}
