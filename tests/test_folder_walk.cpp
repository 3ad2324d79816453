#include "platform/paths.h"
#include "platform/read_only_file.h"
#include "search/date_filter.h"
#include "search/folder_walk.h"
#include "testdir.h"

#include <QtTest>
#include <climits>
#include <unistd.h>

using namespace findolin;

namespace {

// What a walk reported, as the window would list it: a header line per folder, then its names.
struct Recorded {
    QStringList lines;
    QStringList rejections;
    WalkSummary summary;
};

Recorded walk(const QString& start, const QString& query, NameMatch mode = NameMatch::Contains,
              WalkEvents events = {}, std::function<bool(FileAt)> datePasses = {},
              FolderScanner scan = {}) {
    Recorded recorded;
    events.folderHits = [&](const QString& folder, const QStringList& names) {
        recorded.lines << ">>>[" + folder + "]";
        recorded.lines << names;
    };
    events.dateRejected = [&](qint64 examined) {
        recorded.rejections << QString::number(examined);
    };
    recorded.summary =
        OrdnerDurchsuchen(WalkRequest{start, TextAuslesen(query), mode, datePasses, scan}, events);
    return recorded;
}

void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// The date filter as the window arms it: files changed after `limit` pass.
std::function<bool(FileAt)> changedAfterLimit(const QDateTime& limit) {
    return [limit](FileAt file) {
        const auto modified = modificationTimeAt(file);
        return modified && changedAfter(*modified, limit);
    };
}

// How many file descriptors the process has open now.
qsizetype openDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

} // namespace

class TestFolderWalk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void helpExampleOverATree();
    void startsWithMode();
    void notOnlyQueryAndWildcardLeadingText();
    void linkLoopsAreNotFollowed();
    void folderThatCannotBeReadIsSkipped();
    void stopDropsTheFolderBeingRead();
    void dateFilterDropsOldFiles_data();
    void dateFilterDropsOldFiles();
    void dateFilterAskedOncePerListedName();
    void treeDeeperThanPathMax_data();
    void treeDeeperThanPathMax();
    void dateLimit_data();
    void dateLimit();
    void amountsAsTyped();
};

void TestFolderWalk::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestFolderWalk::helpExampleOverATree() {
    TestDir dir;
    dir.file("Angebot-PC.doc");
    dir.file("Brief.doc");
    dir.file("b/PC-Angebote.doc");
    dir.file("b/Computerangebot.txt");
    dir.file("b/Angebot PC Computer.doc"); // found by both groups: listed once
    dir.file("b/Angebot PC gebraucht.doc");
    dir.file("a/nichts.txt");
    dir.file("a/tief/angebot computer.rtf");
    dir.file("c/ANGEBOT-pc.DOC");

    const Recorded result = walk(dir.path(), "Angebot+PC#Angebot+Computer-gebraucht");
    QCOMPARE(result.lines, (QStringList{">>>[" + dir.path() + "]", "Angebot-PC.doc",
                                        ">>>[" + dir.path("a/tief") + "]", "angebot computer.rtf",
                                        ">>>[" + dir.path("b") + "]", "Angebot PC Computer.doc",
                                        "Computerangebot.txt", "PC-Angebote.doc",
                                        ">>>[" + dir.path("c") + "]", "ANGEBOT-pc.DOC"}));
    QCOMPARE(result.summary.hits, 6);
    QVERIFY(!result.summary.stopped);
}

void TestFolderWalk::startsWithMode() {
    TestDir dir;
    dir.file("Angebot-PC.doc");
    dir.file("PC-Angebote.doc");
    dir.file("x/angebot.txt");
    QCOMPARE(walk(dir.path(), "Angebot", NameMatch::StartsWith).lines,
             (QStringList{">>>[" + dir.path() + "]", "Angebot-PC.doc", ">>>[" + dir.path("x") + "]",
                          "angebot.txt"}));
}

void TestFolderWalk::notOnlyQueryAndWildcardLeadingText() {
    TestDir dir;
    dir.file("alt.doc");
    dir.file("neu.doc");
    dir.file("u/Halter.txt");
    dir.file("u/Brief.txt");
    QCOMPARE(walk(dir.path(), "-alt").lines,
             (QStringList{">>>[" + dir.path() + "]", "neu.doc", ">>>[" + dir.path("u") + "]",
                          "Brief.txt"}));
    // A leading text of wildcards alone enforces no term: the term is still tested.
    QCOMPARE(walk(dir.path(), "**+neu").lines, (QStringList{">>>[" + dir.path() + "]", "neu.doc"}));
    // A file counts as examined once for each group whose pattern lists it: alt.doc twice.
    QCOMPARE(walk(dir.path(), "o#t").summary.examined, 5);
}

void TestFolderWalk::linkLoopsAreNotFollowed() {
    TestDir dir;
    dir.file("a/treffer.txt");
    dir.link(dir.path(), "a/zurück");
    dir.link(dir.path("a"), "a/selbst");
    const Recorded result = walk(dir.path(), "treffer");
    QCOMPARE(result.lines, (QStringList{">>>[" + dir.path("a") + "]", "treffer.txt"}));
}

void TestFolderWalk::folderThatCannotBeReadIsSkipped() {
    TestDir dir;
    dir.file("a/x.txt");
    dir.file("b/x.txt");
    dir.file("c/x.txt");
    // A folder that disappears between seeing it and reading it.
    WalkEvents events;
    events.enteringFolder = [&](const QString& folder) {
        if (folder == dir.path("b"))
            QDir(folder).removeRecursively();
    };
    QCOMPARE(walk(dir.path(), "x", NameMatch::Contains, events).lines,
             (QStringList{">>>[" + dir.path("a") + "]", "x.txt", ">>>[" + dir.path("c") + "]",
                          "x.txt"}));

    if (geteuid() == 0)
        QSKIP("the superuser reads every folder");
    const QString locked = dir.folder("gesperrt");
    dir.file("gesperrt/unter/x.txt");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    const Recorded result = walk(dir.path(), "x");
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(result.lines.size(), 4);
}

void TestFolderWalk::stopDropsTheFolderBeingRead() {
    TestDir dir;
    dir.file("a/x.txt");
    for (int i = 0; i < 2000; ++i)
        dir.file(QStringLiteral("b/x%1.txt").arg(i));
    dir.file("c/x.txt");
    int asked = 0;
    bool inB = false;
    WalkEvents events;
    events.enteringFolder = [&](const QString& folder) { inB = folder == dir.path("b"); };
    // Stop while reading the big folder.
    events.keepGoing = [&] { return !(inB && ++asked > 2); };
    const Recorded result = walk(dir.path(), "x", NameMatch::Contains, events);
    QVERIFY(result.summary.stopped);
    QCOMPARE(result.lines, (QStringList{">>>[" + dir.path("a") + "]", "x.txt"}));
}

void TestFolderWalk::dateFilterDropsOldFiles_data() {
    QTest::addColumn<bool>("byFullPath");
    QTest::newRow("folders read through their handles") << false;
    QTest::newRow("folders read by their full paths") << true;
}

void TestFolderWalk::dateFilterDropsOldFiles() {
    QFETCH(bool, byFullPath);
    FolderScanner scan;
    if (byFullPath)
        scan = [](const QString& folder, const KeepGoing& keepGoing) {
            return scanFolder(folder, keepGoing);
        };
    TestDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    setModified(dir.file("neu.txt"), now.addDays(-1));
    setModified(dir.file("alt.txt"), now.addDays(-5));
    setModified(dir.file("u/neu2.txt"), now.addSecs(-3600));
    const auto passes = changedAfterLimit(findolin::dateLimit(now, {0, 3, 0}));
    const Recorded result = walk(dir.path(), "", NameMatch::Contains, {}, passes, scan);
    QCOMPARE(result.lines, (QStringList{">>>[" + dir.path() + "]", "neu.txt",
                                        ">>>[" + dir.path("u") + "]", "neu2.txt"}));
    QCOMPARE(result.rejections, QStringList{"1"}); // alt.txt, the first file examined
}

// The date filter looks at each file at most once, and only at files a group's pattern lists and
// no NOT term excludes, however many groups list them.
void TestFolderWalk::dateFilterAskedOncePerListedName() {
    TestDir dir;
    dir.file("alt.doc"); // listed by both groups, too old
    dir.file("tax.doc"); // listed by both groups, excluded
    dir.file("neu.doc"); // listed by none
    dir.file("tee.doc"); // listed by the second group
    dir.file("bau.doc"); // listed by the first group
    QStringList asked;
    const auto passes = [&](FileAt file) {
        asked << QFileInfo(QFile::decodeName(file.name)).fileName();
        return asked.last() != u"alt.doc";
    };
    const Recorded result = walk(dir.path(), "a#t-x", NameMatch::Contains, {}, passes);
    QCOMPARE(result.lines, (QStringList{">>>[" + dir.path() + "]", "bau.doc", "tee.doc"}));
    asked.sort();
    QCOMPARE(asked, (QStringList{"alt.doc", "bau.doc", "tee.doc"}));
    QCOMPARE(result.rejections.size(), 1);
    QCOMPARE(result.summary.examined, 6);
}

void TestFolderWalk::treeDeeperThanPathMax_data() {
    QTest::addColumn<bool>("dateFilter");
    QTest::newRow("every file") << false;
    QTest::newRow("date filter") << true;
}

// A chain of folders whose lower part lies beyond PATH_MAX, with side folders every ten levels:
// one read before the next link of the chain, one that the walk reaches only on its way back up.
// Every folder is read, the deepest file is listed
// with its full path, the date filter looks at files down there, and the walk holds far fewer
// folders open than the chain is deep.
void TestFolderWalk::treeDeeperThanPathMax() {
    QFETCH(bool, dateFilter);
    TestDir dir;
    QStringList names;
    for (int level = 1; level <= 120; ++level)
        names << QStringLiteral("ebene-%1-").arg(level, 3, 10, QChar(u'0')).leftJustified(40, u'x');
    const DeepFolders deep(dir.path(), names);
    const QDateTime now = QDateTime::currentDateTime();
    deep.file(deep.depth(), "treffer.txt");
    deep.file(deep.depth(), "altes-treffer.txt", now.addDays(-30));
    deep.file(deep.depth(), "nichts.txt");
    for (qsizetype level = 0; level < deep.depth(); level += 10) {
        deep.file(level, "zweig/treffer.txt");
        deep.file(level + 5, "anfang/treffer.txt");
    }
    QVERIFY(QFile::encodeName(deep.path(deep.depth())).size() > PATH_MAX);

    QStringList expected;
    for (qsizetype level = 5; level < deep.depth(); level += 10)
        expected << ">>>[" + deep.path(level) + "/anfang]"
                 << "treffer.txt";
    expected << ">>>[" + deep.path(deep.depth()) + "]";
    if (!dateFilter)
        expected << "altes-treffer.txt";
    expected << "treffer.txt";
    for (qsizetype level = deep.depth() - 10; level >= 0; level -= 10)
        expected << ">>>[" + deep.path(level) + "/zweig]"
                 << "treffer.txt";

    const qsizetype openBefore = openDescriptors();
    qsizetype mostOpen = openBefore;
    WalkEvents events;
    events.enteringFolder = [&](const QString&) {
        mostOpen = std::max(mostOpen, openDescriptors());
    };
    const auto passes = dateFilter ? changedAfterLimit(findolin::dateLimit(now, {0, 3, 0}))
                                   : std::function<bool(FileAt)>{};
    const Recorded result = walk(dir.path(), "treffer", NameMatch::Contains, events, passes);
    QCOMPARE(result.lines, expected);
    QCOMPARE(result.summary.hits, dateFilter ? 25 : 26);
    QCOMPARE(result.rejections.size(), dateFilter ? 1 : 0);
    QVERIFY2(mostOpen - openBefore < deep.depth() / 2,
             qPrintable(QStringLiteral("%1 handles open").arg(mostOpen - openBefore)));
    QCOMPARE(openDescriptors(), openBefore);
    // Down there the files can be read, as the text search and the preview do.
    auto deepest = ReadOnlyFile::open(deep.path(deep.depth()) + "/treffer.txt");
    QVERIFY(deepest);
    QCOMPARE(deepest->read(100).value(), QByteArray());
}

void TestFolderWalk::dateLimit_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<double>("months");
    QTest::addColumn<double>("days");
    QTest::addColumn<double>("hours");
    QTest::addColumn<QDateTime>("limit");

    const QDateTime march31(QDate(2026, 3, 31), QTime(14, 30));
    QTest::newRow("a month back from 31 March")
        << march31 << 1.0 << 0.0 << 0.0 << QDateTime(QDate(2026, 2, 28), QTime(14, 30));
    QTest::newRow("leap year") << QDateTime(QDate(2024, 3, 31), QTime(8, 0)) << 1.0 << 0.0 << 0.0
                               << QDateTime(QDate(2024, 2, 29), QTime(8, 0));
    QTest::newRow("months, then days, then hours")
        << march31 << 1.0 << 3.0 << 2.0 << QDateTime(QDate(2026, 2, 25), QTime(12, 30));
    QTest::newRow("all zero is now") << march31 << 0.0 << 0.0 << 0.0 << march31;
    QTest::newRow("negative goes forward")
        << march31 << 0.0 << -2.0 << 0.0 << QDateTime(QDate(2026, 4, 2), QTime(14, 30));
    QTest::newRow("half a day") << march31 << 0.0 << 0.5 << 0.0
                                << QDateTime(QDate(2026, 3, 31), QTime(2, 30));
    QTest::newRow("half a month is 15 days")
        << march31 << 0.5 << 0.0 << 0.0 << QDateTime(QDate(2026, 3, 16), QTime(14, 30));
    QTest::newRow("one and a half hours")
        << march31 << 0.0 << 0.0 << 1.5 << QDateTime(QDate(2026, 3, 31), QTime(13, 0));
}

void TestFolderWalk::dateLimit() {
    QFETCH(QDateTime, now);
    QFETCH(double, months);
    QFETCH(double, days);
    QFETCH(double, hours);
    QFETCH(QDateTime, limit);
    const QDateTime computed = findolin::dateLimit(now, {months, days, hours});
    QCOMPARE(computed, limit);
    QVERIFY(!changedAfter(computed, computed)); // a file changed at the limit itself fails
    QVERIFY(changedAfter(computed.addMSecs(1), computed));
}

void TestFolderWalk::amountsAsTyped() {
    QCOMPARE(amountFromText("3"), 3.0);
    QCOMPARE(amountFromText("1,5"), 1.5); // German locale
    QCOMPARE(amountFromText("1.5"), 1.5);
    QCOMPARE(amountFromText(" 2 "), 2.0);
    QCOMPARE(amountFromText(""), 0.0);
    QCOMPARE(amountFromText("drei"), 0.0);
    QCOMPARE(amountFromText("-1"), -1.0);
}

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "test_folder_walk.moc"
