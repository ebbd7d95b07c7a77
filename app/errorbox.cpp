#include "app/errorbox.h"

#include <QMessageBox>

namespace ErrorBox {

namespace {

Recorder &recorder()
{
    static Recorder current;
    return current;
}

} // namespace

void show(const QString &title, const QString &text)
{
    if (recorder())
        recorder()(title, text);
    else
        QMessageBox::critical(nullptr, title, text);
}

void setRecorder(Recorder newRecorder)
{
    recorder() = std::move(newRecorder);
}

} // namespace ErrorBox
