// The plan library through the real window: the list at start, Save's
// registration and Remove, with the library file's bytes checked after each.
// Unreadable, hostile and failing library files are in the robustness tests.

#include "testsupport.h"

#include "app/messages.h"

#include <QtTest>

namespace {

const QByteArray key = "NumberOfQueriesInLibrary=";

QByteArray libraryOf(const QStringList &names)
{
    QByteArray text = "# plans\r\n" + key + QByteArray::number(names.size());
    for (const QString &name : names)
        text += "\r\n" + name.toLatin1();
    return text;
}

void makePlanFiles(const Workspace &ws, const QStringList &names)
{
    for (const QString &name : names)
        writeBytes(ws.planPath(name.trimmed()), "plan");
}

} // namespace

class TestLibraryWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadListsTheNames();
    void layoutRefused_data();
    void layoutRefused();
    void registration_data();
    void registration();
    void removal_data();
    void removal();
    void removeWithoutRowDoesNothing();
};

void TestLibraryWindow::loadListsTheNames()
{
    Workspace ws("# a\r\n# b\r\n" + key + "2\r\n a \r\ncaf\xe9");
    Panel w;
    QCOMPARE(w.listed(), (QStringList{" a ", "caf\u00e9"}));
    QVERIFY(w.debug.lines().contains(" current number:  2"));
    QVERIFY(w.debug.lines().contains("names  QList(\" a \", \"caf\u00e9\")"));
    QCOMPARE(w.seen(), QStringList());
}

void TestLibraryWindow::layoutRefused_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QString>("text");
    QTest::newRow("no key") << QByteArray("NumberOfQueries=1\r\na") << Msg::libraryNoKeyText;
    QTest::newRow("no separator") << QByteArray("NumberOfQueriesInLibrary 1\r\na")
                                  << Msg::libraryNoSeparatorText;
    QTest::newRow("edited on Linux")
        << QByteArray("NumberOfQueriesInLibrary=2\na\nb") << Msg::libraryBareLineFeedText;
}

// A library laid out wrongly is named in the box, listed as nothing, and
// neither rewritten nor joined by a plan.
void TestLibraryWindow::layoutRefused()
{
    QFETCH(QByteArray, library);
    QFETCH(QString, text);
    Workspace ws(library);
    Panel w;
    QCOMPARE(w.seen(), QStringList{boxLine(Msg::libraryOpenErrorTitle, text)});
    QVERIFY(w.listed().isEmpty());
    w.boxes.clear();
    w.remove();
    w.save("plan.txt");
    QCOMPARE(w.seen(), QStringList{boxLine(Msg::libraryOpenErrorTitle, Msg::libraryNotLoadedText)});
    QVERIFY(ws.planFiles().isEmpty());
    QCOMPARE(ws.libraryBytes(), library);
}

void TestLibraryWindow::registration_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<bool>("countDisagrees");

    const QByteArray preamble = "# one\r\n# two\r\nNumberOfQueriesInLibrary =";
    QTest::newRow("preamble and blanks kept")
        << preamble + "  2 \r\na\r\nb" << preamble + "3\r\na\r\nb\r\nnew"
        << QStringList{"a", "b", "new"} << false;
    QTest::newRow("ends after the count")
        << key + "0" << key + "1\r\nnew" << QStringList{"new"} << false;
    QTest::newRow("count not a number, written as the names' number")
        << key + "many\r\na\r\nb\r\nc" << key + "4\r\na\r\nb\r\nc\r\nnew"
        << QStringList{"a", "b", "c", "new"} << true;
    QTest::newRow("blanks and trailing line end, Latin-1 kept")
        << key + "1\r\n caf\xe9 \r\n"
        << key + "3\r\ncaf\xe9\r\n\r\nnew" << QStringList{" caf\u00e9 ", "", "new"} << true;
}

void TestLibraryWindow::registration()
{
    QFETCH(QByteArray, library);
    Workspace ws(library);
    Panel w;
    QTEST(!w.debug.lines().filter("differs").isEmpty(), "countDisagrees");
    w.save("new");
    QTEST(ws.libraryBytes(), "expected");
    QTEST(w.listed(), "expectedRows");
    QVERIFY(ws.planFiles().contains("new"));
    QCOMPARE(w.seen(), QStringList());
}

void TestLibraryWindow::removal_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<QStringList>("expectedPlanFiles");

    const QStringList abc{"a", "b", "c"};
    QTest::newRow("first") << abc << 0 << QStringList{"b", "c"} << QStringList{"b", "c"};
    QTest::newRow("middle") << abc << 1 << QStringList{"a", "c"} << QStringList{"a", "c"};
    QTest::newRow("last") << abc << 2 << QStringList{"a", "b"} << QStringList{"a", "b"};
    QTest::newRow("only") << QStringList{"a"} << 0 << QStringList{} << QStringList{};
    QTest::newRow("duplicated name")
        << QStringList{"a", "b", "a"} << 2 << QStringList{"a", "b"} << QStringList{"b"};
    QTest::newRow("blanks around, Latin-1") << QStringList{" b ", "caf\u00e9"} << 0
                                            << QStringList{"caf\u00e9"} << QStringList{"caf\u00e9"};
}

void TestLibraryWindow::removal()
{
    QFETCH(QStringList, names);
    QFETCH(int, row);
    QFETCH(QStringList, expectedRows);
    Workspace ws(libraryOf(names));
    makePlanFiles(ws, names);
    Panel w;
    w.debug.clear();
    QVERIFY(w.select(row));
    w.remove();
    QCOMPARE(w.listed(), expectedRows);
    QCOMPARE(ws.libraryBytes(), libraryOf(expectedRows));
    QTEST(ws.planFiles(), "expectedPlanFiles");
    QCOMPARE(w.debug.lines(),
             (QStringList{"num before remove:  " + QString::number(names.size()),
                          "after  " + QString::number(names.size() - 1)}));
    QCOMPARE(w.seen(), QStringList());
}

void TestLibraryWindow::removeWithoutRowDoesNothing()
{
    const QStringList names{"a", "b"};
    Workspace ws(libraryOf(names));
    makePlanFiles(ws, names);
    Panel w;
    w.remove();
    // A registration replaces the list, which clears the selection made before.
    QVERIFY(w.select(0));
    w.save("c");
    w.debug.clear();
    w.remove();
    QCOMPARE(w.listed(), (QStringList{"a", "b", "c"}));
    QCOMPARE(ws.libraryBytes(), libraryOf({"a", "b", "c"}));
    QCOMPARE(ws.planFiles(), (QStringList{"a", "b", "c"}));
    QVERIFY(w.debug.lines().isEmpty());
    QCOMPARE(w.seen(), QStringList());
}

QTEST_MAIN(TestLibraryWindow)
#include "tst_librarywindow.moc"
