// The library file's text as pure functions: what a load finds in it, what a
// write makes of it, and which stored names may name a file.

#include "library/librarytext.h"

#include <QtTest>

using LibraryText::LayoutProblem;

class TestLibraryText : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void rebuildKeepsEverythingBeforeTheCount_data();
    void rebuildKeepsEverythingBeforeTheCount();
    void planFileNames_data();
    void planFileNames();
};

void TestLibraryText::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<LayoutProblem>("problem");
    QTest::addColumn<int>("countStart");
    QTest::addColumn<int>("countEnd");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names");

    const QByteArray preamble = "# engine\r\n# library\n\r\n";
    QTest::newRow("preamble of several lines, bare line feed in it")
        << preamble + "NumberOfQueriesInLibrary=2\r\nplanA\r\nplanB" << LayoutProblem::None << 47
        << 48 << 2 << QStringList{"planA", "planB"};
    QTest::newRow("blanks around the separator")
        << QByteArray("NumberOfQueriesInLibrary  = 1 \r\nplanA") << LayoutProblem::None << 27 << 30
        << 1 << QStringList{"planA"};
    QTest::newRow("ends after the count") << QByteArray("NumberOfQueriesInLibrary=0")
                                          << LayoutProblem::None << 25 << -1 << 0 << QStringList{};
    QTest::newRow("count line end last") << QByteArray("NumberOfQueriesInLibrary=0\r\n")
                                         << LayoutProblem::None << 25 << 26 << 0 << QStringList{""};
    QTest::newRow("trailing line end, blanks, empty name, Latin-1")
        << QByteArray("NumberOfQueriesInLibrary=3\r\n a b \r\n\r\ncaf\xe9\r\n")
        << LayoutProblem::None << 25 << 26 << 3 << QStringList{" a b ", "", "caf\u00e9", ""};
    QTest::newRow("count not a number")
        << QByteArray("NumberOfQueriesInLibrary=x2\r\na\r\nb") << LayoutProblem::None << 25 << 27
        << 0 << QStringList{"a", "b"};
    QTest::newRow("first key counts")
        << QByteArray("NumberOfQueriesInLibrary=1\r\nNumberOfQueriesInLibrary=5")
        << LayoutProblem::None << 25 << 26 << 1 << QStringList{"NumberOfQueriesInLibrary=5"};
    QTest::newRow("separator on the next line")
        << QByteArray("NumberOfQueriesInLibrary\r\n=1\r\na") << LayoutProblem::NoSeparator << -1
        << -1 << 0 << QStringList{};
    QTest::newRow("bare line feed after the key")
        << QByteArray("NumberOfQueriesInLibrary=2\r\na\nb") << LayoutProblem::BareLineFeed << -1
        << -1 << 0 << QStringList{};
    // The other refused layouts: see the window's tests, which check the box.
}

void TestLibraryText::parse()
{
    QFETCH(QByteArray, text);
    const LibraryText::Library library = LibraryText::parse(text);
    QTEST(library.problem, "problem");
    QTEST(library.countStart, "countStart");
    QTEST(library.countEnd, "countEnd");
    QTEST(library.count, "count");
    QTEST(library.names, "names");
}

void TestLibraryText::rebuildKeepsEverythingBeforeTheCount_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArray>("expected");

    QStringList nine;
    for (int i = 1; i <= 9; ++i)
        nine << QStringLiteral("p%1").arg(i);
    QByteArray nineText = "# pre\r\nNumberOfQueriesInLibrary =9";
    for (const QString &name : nine)
        nineText += "\r\n" + name.toLatin1();
    QTest::newRow("9 rises to 10")
        << nineText << (nine + QStringList{"p10"}) << nineText.replace("=9", "=10") + "\r\np10";
    QTest::newRow("trimmed Latin-1, empty names kept")
        << QByteArray("#\r\nNumberOfQueriesInLibrary=  7\r\nold")
        << QStringList{" caf\u00e9 ", "", "b"}
        << QByteArray("#\r\nNumberOfQueriesInLibrary=3\r\ncaf\xe9\r\n\r\nb");
    QTest::newRow("beyond Latin-1, each UTF-16 unit becomes ?")
        << QByteArray("NumberOfQueriesInLibrary=0") << QStringList{"\u20ac\U0001F600x\u00a0"}
        << QByteArray("NumberOfQueriesInLibrary=1\r\n???x");
    QTest::newRow("empty library ends after the count")
        << QByteArray("NumberOfQueriesInLibrary=1\r\na") << QStringList{}
        << QByteArray("NumberOfQueriesInLibrary=0");
}

void TestLibraryText::rebuildKeepsEverythingBeforeTheCount()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, names);
    const LibraryText::Library library = LibraryText::parse(text);
    QCOMPARE(library.problem, LayoutProblem::None);
    const QByteArray rebuilt = LibraryText::rebuild(text, library.countStart, names);
    QTEST(rebuilt, "expected");
    // What was written reads back as the same names, trimmed, in Latin-1.
    QStringList trimmed;
    for (const QString &name : names)
        trimmed << QString::fromLatin1(name.trimmed().toLatin1());
    QCOMPARE(LibraryText::parse(rebuilt).names, names.isEmpty() ? QStringList{} : trimmed);
}

void TestLibraryText::planFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("plain") << "ORCL_no_Evo_no_Sum.txt" << true;
    QTest::newRow("blanks around") << "  plan.txt \t" << true;
    QTest::newRow("dots inside") << "...plan..txt" << true;
    QTest::newRow("control character") << "pl\x01an" << true;
    QTest::newRow("parent") << "../x" << false;
    QTest::newRow("parent, backslash") << "..\\x" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("dot") << " . " << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks only") << "   " << false;
    QTest::newRow("nul") << QString("a") + QChar::Null + "b" << false;
}

void TestLibraryText::planFileNames()
{
    QFETCH(QString, name);
    QTEST(LibraryText::isPlanFileName(name), "usable");
}

QTEST_GUILESS_MAIN(TestLibraryText)
#include "tst_librarytext.moc"
