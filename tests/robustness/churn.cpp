// Saves and removes plans through the real window without end, until it is
// killed. The crash test starts it and kills it at random moments.
//
//   panel_churn <panel folder>
//
// Prints "ready" once the window is built. Any message box means that a
// write failed where none should: it is printed and the program ends with 2.

#include "testsupport.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: panel_churn <panel folder>\n");
        return 1;
    }
    QApplication app(argc, argv);
    Panel panel; // its debug capture also keeps the panel's chatter quiet
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
        panel.debug.clear();
        if (!panel.boxes.boxes().isEmpty()) {
            std::printf("box: %s\n", qPrintable(panel.seen().constFirst()));
            return 2;
        }
    }
}
