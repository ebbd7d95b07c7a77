// The whole panel process from its start to a shown window that takes input,
// for timing with /usr/bin/time: it starts as the panel does, shows the
// window, waits until the platform has exposed it and the events that
// followed are handled, then quits. "--form" shows the window's form alone,
// the same widgets without a library, to pair each run with.

#include "app/errorbox.h"
#include "app/mainwin.h"
#include "ui_mainwin.h"
#include "workspace/files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    Files::failWritesPastSizeLimit();
    QApplication app(argc, argv);
    // A box would wait for a click: it ends the run instead.
    ErrorBox::setRecorder([](const QString &title, const QString &text) {
        std::fprintf(stderr, "box: %s | %s\n", qPrintable(title), qPrintable(text));
        std::exit(2);
    });
    std::unique_ptr<QMainWindow> window;
    Ui_MainWin form;
    if (argc > 1 && qstrcmp(argv[1], "--form") == 0) {
        window = std::make_unique<QMainWindow>();
        form.setupUi(window.get());
    } else {
        window = std::make_unique<MainWin>();
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;
    QCoreApplication::processEvents();
    std::printf("%lld\n", static_cast<long long>(clock.elapsed()));
    return 0;
}
