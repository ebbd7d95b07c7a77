// The workspace's rules: which names stay inside the plan folder, and reads
// that stop at the size cap or at a failing device.

#include "workspace/files.h"
#include "workspace/paths.h"

#include <QBuffer>
#include <QtTest>

using E = Paths::PlanFolderEntry;

class TestWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void planFolderEntry_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<E>("entry");
        QTest::newRow("file") << QStringList{"plan.txt", "...p..", "p\x01", " p "} << E::File;
        QTest::newRow("folder") << QStringList{"", ".", ".."} << E::FolderItself;
        QTest::newRow("outside") << QStringList{"../x", "..\\x", "/etc/passwd",
                                                QString(1, QChar(0))}
                                 << E::Outside;
    }

    void planFolderEntry()
    {
        QFETCH(QStringList, names);
        QFETCH(E, entry);
        for (const QString &name : names)
            QVERIFY2(Paths::planFolderEntry(name) == entry, qPrintable(name));
    }

    // A device that grows past the cap is cut there; one that fails says so.
    void boundedReads()
    {
        QByteArray bytes(16 * 1024 * 1024 + 5, 'x');
        QBuffer growing(&bytes);
        QByteArray got;
        QVERIFY(growing.open(QIODevice::ReadOnly) && Files::readBounded(growing, got, 10));
        QCOMPARE(got.size(), 16 * 1024 * 1024 + 1);

        struct Breaking : QBuffer
        {
            qint64 readData(char *data, qint64 size) override
            {
                const qint64 got = QBuffer::readData(data, qMin<qint64>(size, 4));
                return got > 0 ? got : -1;
            }
        } breaking;
        breaking.setData("??SourceName and the rest");
        QVERIFY(breaking.open(QIODevice::ReadOnly) && !Files::readBounded(breaking, got, 99));
        QCOMPARE(got, QByteArray("??SourceName and the rest"));
    }
};

QTEST_APPLESS_MAIN(TestWorkspace)
#include "tst_workspace.moc"
