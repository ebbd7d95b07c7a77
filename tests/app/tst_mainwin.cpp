#include "testsupport.h"
#include "app/mainwin.h"
#include <QtTest>
class TestMainWin : public QObject { Q_OBJECT
private slots:
    void startsUp() { Workspace ws; QVERIFY(ws.isValid()); BoxCatcher boxes; MainWin w; QCOMPARE(w.size(), QSize(673, 616)); }
};
QTEST_MAIN(TestMainWin)
#include "tst_mainwin.moc"
