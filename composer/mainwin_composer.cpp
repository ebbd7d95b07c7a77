// MainWin's plan composer: plan options and the suggested file name, the
// plan template with its parameters, and saving a plan.

#include "app/mainwin.h"

#include "app/errorbox.h"
#include "app/messages.h"
#include "composer/datasources.h"
#include "composer/plantemplate.h"
#include "ui_mainwin.h"
#include "workspace/files.h"
#include "workspace/paths.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

void MainWin::dataSourceSwitched(int index)
{
    if (const DataSource *source = dataSourceAt(index)) {
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
    ui->lEditSaveFileName->setText(suggestedPlanFileName(sourceName, withEvo, withSum));
    repaint();
}

namespace {

// A dangling symbolic link, a folder, "." and ".." all count as taken.
bool planPathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

bool MainWin::readPlanTemplate(const TemplateChoice &choice)
{
    if (choice.schemaId)
        schemaId = *choice.schemaId;
    using Read = Files::FileRead;
    const Read read = Files::readRegularFile(choice.path);
    qDebug() << choice.path;
    qDebug() << "templateFile exists " << (read.status != Read::Missing);
    const auto fail = [](const QString &title, const QString &text) {
        ErrorBox::show(title, text);
        return false;
    };
    if (read.status == Read::Missing)
        return fail(Msg::fileMissingTitle, Msg::templateMissingText);
    if (read.status == Read::NotRegular)
        return fail(Msg::fileMissingTitle, Msg::templateOpenFailedText + Msg::notRegularFileText);
    if (read.status == Read::OpenFailed)
        return fail(Msg::fileMissingTitle, Msg::templateOpenFailedText + read.error);
    if (read.status == Read::TooLarge)
        return fail(Msg::fileReadingErrorTitle, Msg::templateTooLargeText());
    planText = read.bytes;
    // An empty template, or a read that broke off and kept nothing: the
    // file's own reason.
    if (planText.isEmpty())
        return fail(Msg::fileReadingErrorTitle, read.error);
    // A replacement at a missing placeholder would damage the plan.
    if (const auto missing = missingPlaceholder(planText))
        return fail(Msg::fileReadingErrorTitle, Msg::placeholderMissingText(*missing, choice.path));
    return true;
}

bool MainWin::substituteParameters(const TemplateChoice &choice)
{
    const QByteArray original = planText;
    const QByteArray &sourcePlaceholder = planPlaceholders()[0];
    replacePlaceholder(planText, QString::fromLatin1(sourcePlaceholder), sourceRef,
                       int(planText.indexOf(sourcePlaceholder)));
    qDebug() << planText;

    const PlanInputs inputs{schemaId,
                            withEvo,
                            {ui->editWindowSize->text(), ui->editSlideSize->text(),
                             ui->editRangeThres->text(), ui->editCountThres->text()}};
    const SubstitutionResult result = fillParameters(planText, original, inputs);
    if (result.parameterProblem) {
        ErrorBox::show(Msg::parameterErrorTitle,
                       Msg::parameterProblemText(*result.parameterProblem));
        return false;
    }
    if (result.joinedPlaceholder) {
        ErrorBox::show(Msg::fileReadingErrorTitle,
                       Msg::placeholderJoinedText(*result.joinedPlaceholder, choice.path));
        return false;
    }
    return true;
}

void MainWin::replacePlaceholder(QByteArray &text, const QString &placeholder, const QString &value,
                                 int position)
{
    replaceAt(text, position, placeholder.size(), value);
}

bool MainWin::writeQueryPlan()
{
    const QString path = Paths::planFolder() + planName;
    planFile = std::make_unique<QFile>(path);
    if (planPathTaken(path)) {
        ErrorBox::show(Msg::fileExistsTitle, Msg::fileExistsText);
        return false;
    }
    // NewOnly creates the file only if nothing is there, in the same step, so
    // that nothing is ever overwritten and no symbolic link is followed.
    if (!planFile->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (planPathTaken(path))
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

void MainWin::onSave()
{
    planName = ui->lEditSaveFileName->text();
    if (const PlanNameProblem problem = planNameProblem(planName);
        problem != PlanNameProblem::None) {
        ErrorBox::show(Msg::namingErrorTitle,
                       problem == PlanNameProblem::SpecialCharacter ? Msg::namingErrorText
                                                                    : Msg::plainNameText);
        return;
    }
    const TemplateChoice choice =
        templateChoice(ui->dataSourceComBox->currentIndex(), ui->cbox_sum->isChecked());
    if (!readPlanTemplate(choice) || !substituteParameters(choice))
        return;
    // Without a loaded library the plan could not be registered; writing it
    // anyway would leave a plan that no list shows.
    if (!planModel) {
        ErrorBox::show(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
        return;
    }
    if (!writeQueryPlan())
        return;
    registerPlan();
}
