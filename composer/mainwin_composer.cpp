// MainWin's plan composer: plan options and the suggested file name, the
// plan template with its parameters, and saving a plan.

#include "app/mainwin.h"

#include "app/messages.h"
#include "app/writeerror.h"
#include "composer/planoptions.h"
#include "composer/plantemplate.h"
#include "launcher/enginepaths.h"
#include "ui_mainwin.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

void MainWin::dataSourceSwitched(int index)
{
    if (const auto source = dataSourceAt(index)) {
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

// ---- template, substitution and saving: see below ----

namespace {

void showError(const QString &title, const QString &text)
{
    QMessageBox::critical(nullptr, title, text);
}

QString templatePath(const TemplateChoice &choice)
{
    return EnginePaths::templateFolder() + choice.fileName;
}

// A dangling symbolic link, a folder, "." and ".." all count as taken.
bool planPathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Unlike readAll(), never takes more than limit bytes into memory.
QByteArray readAtMost(QIODevice &device, qint64 limit)
{
    constexpr qint64 chunkSize = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray chunk = device.read(qMin(chunkSize, limit - bytes.size()));
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return bytes;
}

} // namespace

bool MainWin::readPlanTemplate()
{
    const TemplateChoice choice =
        templateChoice(ui->dataSourceComBox->currentIndex(), ui->cbox_sum->isChecked());
    if (choice.schemaId)
        schemaId = *choice.schemaId;

    const QString path = templatePath(choice);
    qDebug() << path;
    QFile templateFile(path);
    const bool exists = templateFile.exists();
    qDebug() << "templateFile exists " << exists;
    if (!exists) {
        showError(Msg::fileMissingTitle, Msg::templateMissingText);
        return false;
    }
    // Opening a named pipe would block and a device never ends: only regular
    // files are read.
    const QFileInfo info(path);
    if (!info.isFile()) {
        showError(Msg::fileMissingTitle, Msg::templateOpenFailedText + Msg::notRegularFileText);
        return false;
    }
    if (!templateFile.open(QIODevice::ReadOnly)) {
        showError(Msg::fileMissingTitle, Msg::templateOpenFailedText + templateFile.errorString());
        return false;
    }
    if (info.size() > maxTemplateSize) {
        showError(Msg::fileReadingErrorTitle, Msg::templateTooLargeText);
        return false;
    }
    planText = readAtMost(templateFile, maxTemplateSize + 1);
    if (planText.size() > maxTemplateSize) { // it grew since it was looked at
        planText.clear();
        showError(Msg::fileReadingErrorTitle, Msg::templateTooLargeText);
        return false;
    }
    if (planText.isEmpty()) {
        showError(Msg::fileReadingErrorTitle, templateFile.errorString());
        return false;
    }
    templateFile.close();
    // A replacement at a missing placeholder would damage the plan.
    if (const auto missing = missingPlaceholder(planText)) {
        showError(Msg::fileReadingErrorTitle,
                  Msg::placeholderMissingText(QString::fromLatin1(*missing), path));
        return false;
    }
    return true;
}

bool MainWin::substituteParameters()
{
    const QByteArray original = planText;
    const QByteArray &sourcePlaceholder = planPlaceholders()[0];
    replacePlaceholder(planText, QString::fromLatin1(sourcePlaceholder), sourceRef,
                       int(planText.indexOf(sourcePlaceholder)));
    qDebug() << planText;

    const PlanInputs inputs{sourceRef,
                            schemaId,
                            withEvo,
                            {ui->editWindowSize->text(), ui->editSlideSize->text(),
                             ui->editRangeThres->text(), ui->editCountThres->text()}};
    const SubstitutionResult result = fillParameters(planText, original, inputs);
    if (result.parameterProblem) {
        showError(Msg::parameterErrorTitle, *result.parameterProblem);
        return false;
    }
    if (result.joinedPlaceholder) {
        const TemplateChoice choice =
            templateChoice(ui->dataSourceComBox->currentIndex(), ui->cbox_sum->isChecked());
        showError(Msg::fileReadingErrorTitle,
                  Msg::placeholderJoinedText(QString::fromLatin1(*result.joinedPlaceholder),
                                             templatePath(choice)));
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
    const QString path = EnginePaths::planFolder() + planName;
    planFile = std::make_unique<QFile>(path);
    if (planPathTaken(path)) {
        showError(Msg::fileExistsTitle, Msg::fileExistsText);
        return false;
    }
    // NewOnly creates the file only if nothing is there, in the same step, so
    // that nothing is ever overwritten and no symbolic link is followed.
    if (!planFile->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (planPathTaken(path))
            showError(Msg::fileExistsTitle, Msg::fileExistsText);
        else
            showError(Msg::fileOpenFailedTitle, planFile->errorString());
        return false;
    }
    QString error;
    if (!writeAllBytes(*planFile, planText, error)) {
        planFile->close();
        planFile->remove();
        showError(Msg::fileWriteFailedTitle, error);
        return false;
    }
    planFile->close();
    qDebug() << planText << "\ntest";
    return true;
}

void MainWin::onSave()
{
    planName = ui->lEditSaveFileName->text();
    switch (planNameProblem(planName)) {
    case PlanNameProblem::SpecialCharacter:
        showError(Msg::namingErrorTitle, Msg::namingErrorText);
        return;
    case PlanNameProblem::NotPlain:
        showError(Msg::namingErrorTitle, Msg::plainNameText);
        return;
    case PlanNameProblem::None:
        break;
    }
    if (!readPlanTemplate() || !substituteParameters())
        return;
    // Without a loaded library the plan could not be registered; writing it
    // anyway would leave a plan that no list shows.
    if (!planModel) {
        showError(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText);
        return;
    }
    if (!writeQueryPlan())
        return;
    registerPlan();
}
