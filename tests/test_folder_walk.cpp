#include "platform/read_only_file.h"
#include "search/date_filter.h"
#include "search/folder_walk.h"
#include "testdir.h"

#include <QtTest>
#include <climits>

using namespace findolin;

namespace {

// What a walk reported: "folder: name, name" per folder with hits, the folder below `root`
// ("." for the root itself), joined by " | "; and the examined counts of the date filter's
// rejections.
struct Recorded {
    QString hits;
    QList<qint64> rejections;
    WalkSummary summary;
};

Recorded walk(const QString& root, const QString& query, NameMatch mode = NameMatch::Contains,
              WalkEvents events = {}, std::function<bool(FileAt)> datePasses = {},
              FolderScanner scan = {}) {
    Recorded recorded;
    events.folderHits = [&](const QString& folder, const QStringList& names) {
        const QString relative = QDir(root).relativeFilePath(folder);
        recorded.hits +=
            (recorded.hits.isEmpty() ? "" : " | ") + relative + ": " + names.join(", ");
    };
    events.dateRejected = [&](qint64 examined) { recorded.rejections << examined; };
    recorded.summary =
        OrdnerDurchsuchen(WalkRequest{root, TextAuslesen(query), mode, datePasses, scan}, events);
    return recorded;
}

// The date filter as the window arms it: files changed after `limit` pass.
std::function<bool(FileAt)> changedAfterLimit(const QDateTime& limit, QStringList* asked = {}) {
    return [limit, asked](FileAt file) {
        if (asked)
            *asked << QFileInfo(QFile::decodeName(file.name)).fileName();
        const auto modified = modificationTimeAt(file);
        return modified && changedAfter(*modified, limit);
    };
}

qsizetype openDescriptors() {
    return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System).size();
}

} // namespace

class TestFolderWalk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Depth-first, a folder's hits before its sub-folders', each name once, in list-box order;
    // links to folders are not followed, so a link loop cannot trap the walk.
    void queriesOverATree() {
        const TestDir dir;
        for (const char* name :
             {"Angebot-PC.doc", "Brief.doc", "neu.doc", "b/PC-Angebote.doc",
              "b/Computerangebot.txt", "b/Angebot PC Computer.doc", "b/Angebot PC gebraucht.doc",
              "a/nichts.txt", "a/tief/angebot computer.rtf", "c/ANGEBOT-pc.DOC", "u/Halter.txt"})
            dir.file(QString::fromUtf8(name));
        dir.link(dir.path(), "a/zurück");
        dir.link(dir.path("a"), "a/selbst");
        const std::tuple<const char*, NameMatch, const char*> rows[] = {
            {"Angebot+PC#Angebot+Computer-gebraucht", NameMatch::Contains,
             ".: Angebot-PC.doc | a/tief: angebot computer.rtf | b: Angebot PC Computer.doc, "
             "Computerangebot.txt, PC-Angebote.doc | c: ANGEBOT-pc.DOC"},
            {"Angebot", NameMatch::StartsWith,
             ".: Angebot-PC.doc | a/tief: angebot computer.rtf | b: Angebot PC Computer.doc, "
             "Angebot PC gebraucht.doc | c: ANGEBOT-pc.DOC"},
            {"-doc", NameMatch::Contains,
             "a: nichts.txt | a/tief: angebot computer.rtf | b: Computerangebot.txt | u: "
             "Halter.txt"},
            // A leading text of wildcards alone enforces no term: the term is still tested.
            {"**+neu", NameMatch::Contains, ".: neu.doc"},
        };
        for (const auto& [query, mode, hits] : rows) {
            const Recorded result = walk(dir.path(), query, mode);
            QCOMPARE(result.hits, QString::fromUtf8(hits));
            QCOMPARE(result.summary.hits, result.hits.count(u',') + result.hits.count(u':'));
            QVERIFY(!result.summary.stopped);
        }
        // A file counts as examined once for each group whose pattern lists it.
        QCOMPARE(walk(dir.path(), "pc#ang").summary.examined, 5 + 7);
        // A folder that disappears between seeing it and reading it is skipped.
        WalkEvents events;
        events.enteringFolder = [&](const QString& folder) {
            if (folder == dir.path("b"))
                QDir(folder).removeRecursively();
        };
        QCOMPARE(walk(dir.path(), "-doc", NameMatch::Contains, events).hits,
                 "a: nichts.txt | a/tief: angebot computer.rtf | u: Halter.txt");
    }

    void stopDropsTheFolderBeingRead() {
        TestDir dir(Tree{{"a/x.txt", {}}, {"c/x.txt", {}}});
        for (int i = 0; i < 2000; ++i)
            dir.file(QStringLiteral("b/x%1.txt").arg(i));
        int asked = 0;
        bool inB = false;
        WalkEvents events;
        events.enteringFolder = [&](const QString& folder) { inB = folder == dir.path("b"); };
        events.keepGoing = [&] { return !(inB && ++asked > 2); };
        const Recorded result = walk(dir.path(), "x", NameMatch::Contains, events);
        QCOMPARE(result.hits + (result.summary.stopped ? " (stopped)" : ""), "a: x.txt (stopped)");
    }

    // The date filter looks at each file at most once, and only at files a group's pattern lists
    // and no NOT term excludes; through the folder's handle or by the full path.
    void dateFilterAndLimit() {
        const TestDir dir;
        // alt.doc: too old; tax.doc: excluded; neu.doc: listed by no group
        for (const char* name :
             {"alt.doc", "u/tax.doc", "u/neu.doc", "u/tee.doc", "u/bau.doc", "u/tat.doc"})
            dir.file(name);
        const QDateTime now = QDateTime::currentDateTime();
        for (const auto& [name, seconds] : {std::pair{"alt.doc", -1}, {"u/tat.doc", 60}}) {
            QFile file(dir.path(name));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(now.addDays(-3).addSecs(seconds),
                                     QFileDevice::FileModificationTime));
        }
        const auto byPath = [](const QString& f, const KeepGoing& k) { return scanFolder(f, k); };
        for (const FolderScanner& scan : {FolderScanner{}, FolderScanner{byPath}}) {
            QStringList asked;
            const auto passes = changedAfterLimit(findolin::dateLimit(now, {0, 3, 0}), &asked);
            const Recorded result =
                walk(dir.path(), "a#t-x", NameMatch::Contains, {}, passes, scan);
            QCOMPARE(result.hits, "u: bau.doc, tat.doc, tee.doc");
            asked.sort();
            QCOMPARE(asked, (QStringList{"alt.doc", "bau.doc", "tat.doc", "tee.doc"}));
            QCOMPARE(result.rejections, QList<qint64>{2}); // alt.doc, examined for both groups
            QCOMPARE(result.summary.examined, 8);
        }
        // Now, the months, days and hours back, the limit: months first (a day beyond the month's
        // end becomes its last), then calendar days, then hours; a fraction of a month is of 30
        // days.
        for (const QString row :
             {"2026-03-31 14:30|1|0|0|2026-02-28 14:30", "2024-03-31 08:00|1|0|0|2024-02-29 08:00",
              "2026-03-31 14:30|1|3|2|2026-02-25 12:30", "2026-03-31 14:30|0|0|0|2026-03-31 14:30",
              "2026-03-31 14:30|0|-2|0|2026-04-02 14:30",
              "2026-03-31 14:30|0|0.5|0|2026-03-31 02:30",
              "2026-03-31 14:30|0.5|0|0|2026-03-16 14:30",
              "2026-03-31 14:30|0|0|1.5|2026-03-31 13:00"}) {
            const auto field = [&](int i) { return row.section(u'|', i, i); };
            const QDateTime now = QDateTime::fromString(field(0), "yyyy-MM-dd HH:mm");
            const QDateTime limit = findolin::dateLimit(
                now, {field(1).toDouble(), field(2).toDouble(), field(3).toDouble()});
            QCOMPARE(row.section(u'|', 0, 3) + u'|' + limit.toString("yyyy-MM-dd HH:mm"), row);
            QVERIFY(!changedAfter(limit, limit)); // a file changed at the limit itself fails
            QVERIFY(changedAfter(limit.addMSecs(1), limit));
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const QString row : {"3|3", "1,5|1.5", "1.5|1.5", " 2 |2", "|0", "drei|0", "-1|-1"})
            QCOMPARE(amountFromText(row.section(u'|', 0, 0)), row.section(u'|', 1, 1).toDouble());
    }

    // A chain of folders whose lower part lies beyond PATH_MAX, with side folders every ten
    // levels: one read before the next link of the chain, one that the walk reaches only on its
    // way back up. Every folder is read, the deepest file is listed with its full path, the date
    // filter looks at files down there, and the walk holds far fewer folders open than the chain
    // is deep.
    void treeDeeperThanPathMax() {
        const TestDir dir;
        QStringList names;
        for (int level = 1; level <= 120; ++level)
            names << QString("ebene-%1-").arg(level, 3, 10, QChar(u'0')).leftJustified(40, u'x');
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

        const auto in = [&](qsizetype level, const char* below) {
            return QDir(dir.path()).relativeFilePath(deep.path(level) + below) + ": ";
        };
        for (const bool dateFilter : {false, true}) {
            QStringList expected;
            for (qsizetype level = 5; level < deep.depth(); level += 10)
                expected << in(level, "/anfang") + "treffer.txt";
            expected << in(deep.depth(), "") + (dateFilter ? "" : "altes-treffer.txt, ") +
                            "treffer.txt";
            for (qsizetype level = deep.depth() - 10; level >= 0; level -= 10)
                expected << in(level, "/zweig") + "treffer.txt";
            const qsizetype openBefore = openDescriptors();
            qsizetype mostOpen = openBefore;
            WalkEvents events;
            events.enteringFolder = [&](const QString&) {
                mostOpen = std::max(mostOpen, openDescriptors());
            };
            const Recorded result =
                walk(dir.path(), "treffer", NameMatch::Contains, events,
                     dateFilter ? changedAfterLimit(findolin::dateLimit(now, {0, 3, 0})) : nullptr);
            QCOMPARE(result.hits, expected.join(" | "));
            QCOMPARE(QList<qsizetype>({result.summary.hits, result.rejections.size()}),
                     QList<qsizetype>({expected.size() + !dateFilter, dateFilter}));
            QVERIFY(mostOpen - openBefore < deep.depth() / 2);
            QCOMPARE(openDescriptors(), openBefore);
        }
        // Down there the files can be read, as the text search and the preview do.
        auto deepest = ReadOnlyFile::open(deep.path(deep.depth()) + "/treffer.txt");
        QCOMPARE(deepest->read(100).value(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "test_folder_walk.moc"
