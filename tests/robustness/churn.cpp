// Saves and removes plans through the real window without end, until it is
// killed. The crash test starts it and kills it at random moments.
//
//   panel_churn <panel folder>
//
// Prints "ready" once the window is built. Any message box means that a
// write failed where none should: it is printed and the program ends with 2.

#include "robustness.h"
#include "testsupport.h"

#include "app/mainwin.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

void keepWarningsOnly(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: panel_churn <panel folder>\n");
        return 1;
    }
    qInstallMessageHandler(keepWarningsOnly);
    QApplication app(argc, argv);
    BoxCatcher boxes;
    MainWin window;
    Robust::Panel panel(window);
    std::printf("ready\n");
    std::fflush(stdout);

    const QString prefix = QStringLiteral("p%1_").arg(QCoreApplication::applicationPid());
    for (int step = 0;; ++step) {
        const QStringList listed = panel.listed();
        if (step % 2 == 0 || listed.size() < 3) {
            panel.save(prefix + QString::number(step) + QStringLiteral(".txt"));
        } else {
            panel.select(step % listed.size());
            panel.remove();
        }
        if (!boxes.boxes().isEmpty()) {
            const SeenBox &box = boxes.boxes().constFirst();
            std::printf("box: %s: %s\n", qPrintable(box.title), qPrintable(box.text));
            return 2;
        }
    }
}
