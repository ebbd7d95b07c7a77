// Reads of the workspace's files stop at the size cap and at a failing device.

#include "workspace/files.h"

#include <QBuffer>
#include <QtTest>

class TestWorkspace : public QObject
{
    Q_OBJECT

private slots:
    // A device that grows past the cap is cut there; one that fails part-way
    // says so.
    void boundedReads()
    {
        QByteArray bytes(16 * 1024 * 1024 + 5, 'x');
        QBuffer growing(&bytes);
        QByteArray got;
        QVERIFY(growing.open(QIODevice::ReadOnly) && Files::readBounded(growing, got));
        QCOMPARE(got.size(), 16 * 1024 * 1024 + 1);
        struct Breaking : QBuffer
        {
            qint64 readData(char *data, qint64 size) override
            {
                const qint64 read = QBuffer::readData(data, qMin<qint64>(size, 4));
                return read > 0 ? read : -1;
            }
        } breaking;
        breaking.setData("??SourceName and more");
        QVERIFY(breaking.open(QIODevice::ReadOnly) && !Files::readBounded(breaking, got));
        QCOMPARE(got, QByteArray("??SourceName and more"));
    }
};

QTEST_APPLESS_MAIN(TestWorkspace)
#include "tst_workspace.moc"
