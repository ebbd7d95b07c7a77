// Reads of the workspace's files stop at a failing device.

#include "workspace/files.h"

#include <QBuffer>
#include <QtTest>

class TestWorkspace : public QObject
{
    Q_OBJECT

private slots:
    // A read that fails part-way says so.
    void boundedReads()
    {
        QByteArray got;
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
