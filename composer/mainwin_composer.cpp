// MainWin's plan composer: plan options and the suggested file name, the
// plan template with its parameters, and saving a plan.

#include "app/mainwin.h"

#include "app/messages.h"
#include "composer/planoptions.h"
#include "composer/plantemplate.h"
#include "launcher/enginepaths.h"
#include "ui_mainwin.h"

#include <QDebug>
#include <QFile>
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

bool MainWin::readPlanTemplate()
{
    return false; // TODO(composer)
}

bool MainWin::substituteParameters()
{
    return false; // TODO(composer)
}

void MainWin::replacePlaceholder(QByteArray &, const QString &, const QString &, int)
{
}

bool MainWin::writeQueryPlan()
{
    return false; // TODO(composer)
}

void MainWin::onSave()
{
}
