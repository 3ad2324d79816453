#include "navigation/site_folders.h"
#include "platform/folder_scan.h"
#include "platform/paths.h"
#include "search/folder_listing.h"
#include "search/list_order.h"
#include "search/wildcard.h"
#include "testdir.h"

#include <QtTest>

using namespace findolin;

class TestFolderListing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void scanSplitsFilesAndFolders();
    void scanReportsWhyItFailed();
    void scanStopsWhenAsked();
    void listingFiltersAndSorts();
    void mergedListingPutsFoldersFirst();
    void mergedListingKeepsOtherFoldersOut();
    void folderEntryShorthand();
    void countCaption();
    void listBoxOrder();
    void paths();
    void profileShorthand();
    void companyFolderTest();
};

void TestFolderListing::initTestCase() {
    // The order of the lists must not depend on the machine's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestFolderListing::scanSplitsFilesAndFolders() {
    TestDir dir;
    dir.file("a.txt");
    dir.file(".versteckt");
    dir.folder("Briefe");
    dir.link(dir.path("Briefe"), "Verknüpfung");
    dir.link(dir.path("a.txt"), "zeigt-auf-a.txt");
    dir.link(dir.path("gibt-es-nicht"), "ins-leere");

    const auto scan = scanFolder(dir.path() + "/./");
    QVERIFY(scan);
    QCOMPARE(scan->folder, dir.path());
    QStringList files = scan->files;
    files.sort();
    QCOMPARE(files, (QStringList{".versteckt", "a.txt", "ins-leere", "zeigt-auf-a.txt"}));
    QCOMPARE(scan->subfolders, QStringList{"Briefe"});
    QCOMPARE(scan->linkedSubfolders, QStringList{QStringLiteral("Verknüpfung")});
    QCOMPARE(hasSubfolders(dir.path()).value(), true);
    QCOMPARE(hasSubfolders(dir.path("Briefe")).value(), false);
}

void TestFolderListing::scanReportsWhyItFailed() {
    TestDir dir;
    const QString file = dir.file("a.txt");
    QCOMPARE(scanFolder(dir.path("fehlt")).error(), OsError::NotFound);
    QCOMPARE(scanFolder(file).error(), OsError::NotAFolder);
    QCOMPARE(scanFolder("relativ/pfad").error(), OsError::NotFound);
    QCOMPARE(scanFolder("").error(), OsError::NotFound);
    if (geteuid() != 0) { // the superuser reads every folder
        const QString locked = dir.folder("gesperrt");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        QCOMPARE(scanFolder(locked).error(), OsError::AccessDenied);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
}

void TestFolderListing::scanStopsWhenAsked() {
    TestDir dir;
    for (int i = 0; i < 600; ++i)
        dir.file(QStringLiteral("f%1").arg(i));
    int asked = 0;
    const auto stopped = scanFolder(dir.path(), [&] { return ++asked < 2; });
    QCOMPARE(stopped.error(), OsError::Stopped);
    QCOMPARE(asked, 2);
    const auto whole = scanFolder(dir.path(), [] { return true; });
    QCOMPARE(whole->files.size(), 600);
}

void TestFolderListing::listingFiltersAndSorts() {
    TestDir dir;
    for (const char* name : {"Rechnung 12.doc", "angebot PC.doc", "Angebot.txt", "Äpfel.doc",
                             "zettel.doc", "Brief.doc"})
        dir.file(QString::fromUtf8(name));
    dir.folder("Angebote");

    const auto all = listFolder(dir.path(), WildcardPattern(u"*"));
    QVERIFY(all);
    QCOMPARE(all->files, (QStringList{"angebot PC.doc", "Angebot.txt", QStringLiteral("Äpfel.doc"),
                                      "Brief.doc", "Rechnung 12.doc", "zettel.doc"}));
    QCOMPARE(all->subfolders, QStringList{dir.path("Angebote")});

    const auto some = listFolder(dir.path(), WildcardPattern(u"Angebot*PC*.*;Brief*"));
    QCOMPARE(some->files, (QStringList{"angebot PC.doc", "Brief.doc"}));
}

void TestFolderListing::mergedListingPutsFoldersFirst() {
    TestDir dir;
    dir.file("Zeitung.txt");
    dir.file("angebot.doc");
    dir.folder("briefe");
    dir.folder("Archiv");
    dir.file(" [Archiv].txt"); // a file that looks like a folder entry is still a file
    const auto listing = listFolder(dir.path(), WildcardPattern(u"*"));
    const MergedListing merged =
        mergedListing(*listing, dir.path() + "/", QString(), ProfileShorthand::Off);
    const QStringList entries{" [" + dir.path("Archiv") + "]", " [" + dir.path("briefe") + "]"};
    QCOMPARE(merged.lines.mid(merged.lines.size() - 2),
             (QStringList{"angebot.doc", "Zeitung.txt"}));
    QCOMPARE(merged.lines.size(), 5);
    for (qsizetype i = 0; i < merged.lines.size(); ++i) {
        const bool entry = entries.contains(merged.lines[i]);
        QCOMPARE(merged.kinds[i], entry ? LineKind::FolderEntry : LineKind::File);
    }
    QVERIFY(merged.lines.indexOf(entries[0]) < merged.lines.indexOf(entries[1]));
}

void TestFolderListing::mergedListingKeepsOtherFoldersOut() {
    TestDir dir;
    dir.file("a.txt");
    dir.folder("unter");
    const auto listing = listFolder(dir.path(), WildcardPattern(u"*"));
    // A folder text still being typed below the listed folder contains its path ...
    QCOMPARE(mergedListing(*listing, dir.path("unt"), {}, ProfileShorthand::Off).lines.size(), 2);
    // ... a text naming somewhere else does not: no entries of a folder the user left.
    QCOMPARE(mergedListing(*listing, "/anderswo", {}, ProfileShorthand::Off).lines,
             QStringList{"a.txt"});
}

void TestFolderListing::folderEntryShorthand() {
    const QString prefix = QStringLiteral("/home/");
    QCOMPARE(folderEntry("/home/benutzer/Briefe", prefix, ProfileShorthand::On),
             QStringLiteral(" [~benutzer/Briefe]"));
    QCOMPARE(folderEntry("/home/benutzer/Briefe", prefix, ProfileShorthand::Off),
             QStringLiteral(" [/home/benutzer/Briefe]"));
    QCOMPARE(folderEntry("/srv/home/x", prefix, ProfileShorthand::On),
             QStringLiteral(" [/srv/home/x]"));
}

void TestFolderListing::countCaption() {
    QCOMPARE(findolin::countCaption(0), QStringLiteral("0 Dateien"));
    QCOMPARE(findolin::countCaption(1), QStringLiteral("1 Datei"));
    QCOMPARE(findolin::countCaption(2), QStringLiteral("2 Dateien"));
    QCOMPARE(findolin::countCaption(40000), QStringLiteral("40000 Dateien"));
}

void TestFolderListing::listBoxOrder() {
    QStringList lines{"b", " [z]", "A", "10", "ä", "B"};
    sortLikeListBox(lines);
    QCOMPARE(lines, (QStringList{" [z]", "10", "A", QStringLiteral("ä"), "b", "B"}));
    QCOMPARE(ListBoxOrder().merge({" [a]", " [b]"}, {"a", "C"}),
             (QStringList{" [a]", " [b]", "a", "C"}));
}

void TestFolderListing::paths() {
    QCOMPARE(joinPath(u"/", u"a.txt"), QStringLiteral("/a.txt"));
    QCOMPARE(joinPath(u"/home/x", u"a.txt"), QStringLiteral("/home/x/a.txt"));
    QCOMPARE(joinPath(u"/home/x/", u"a.txt"), QStringLiteral("/home/x/a.txt"));
    QCOMPARE(joinPath(u"C:\\", u"a.txt"), QStringLiteral("C:\\a.txt"));
    QCOMPARE(normalFolderPath(u"/home//x/./y/../"), QStringLiteral("/home/x"));
    QCOMPARE(normalFolderPath(u"/"), QStringLiteral("/"));
    QCOMPARE(normalFolderPath(u"relativ"), QString());
    QCOMPARE(parentFolder(u"/home/x/"), std::optional<QString>("/home"));
    QCOMPARE(parentFolder(u"/home"), std::optional<QString>("/"));
    QCOMPARE(parentFolder(u"/"), std::nullopt);
}

void TestFolderListing::profileShorthand() {
    SiteFolders sites;
    sites.home = "/home/anna";
    sites.profilePrefix = "/home/";
    QCOMPARE(expandProfileShorthand("~benutzer/Eigene Dateien", sites),
             QStringLiteral("/home/benutzer/Eigene Dateien"));
    QCOMPARE(expandProfileShorthand("~/Briefe", sites), QStringLiteral("/home/anna/Briefe"));
    QCOMPARE(expandProfileShorthand("~", sites), QStringLiteral("/home/"));
    QCOMPARE(expandProfileShorthand("/opt/PROGRA~1", sites), QStringLiteral("/opt/PROGRA~1"));
}

void TestFolderListing::companyFolderTest() {
    TestDir dir;
    QVERIFY(!folderHoldsFile(dir.path("fehlt")));
    QVERIFY(!folderHoldsFile(dir.path()));
    dir.folder("unter");
    dir.file(".versteckt");
    QVERIFY(!folderHoldsFile(dir.path()));
    dir.file("brief.doc");
    QVERIFY(folderHoldsFile(dir.path()));
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "test_folder_listing.moc"
