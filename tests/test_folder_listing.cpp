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
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void scanSplitsFilesAndFolders() {
        const TestDir dir(Tree{{"a.txt", {}}, {".versteckt", {}}, {"Briefe/", {}}});
        dir.link(dir.path("Briefe"), "Verknüpfung");
        dir.link(dir.path("a.txt"), "zeigt-auf-a.txt");
        dir.link(dir.path("gibt-es-nicht"), "ins-leere");
        const auto scan = scanFolder(dir.path() + "/./");
        QCOMPARE(scan->folder, dir.path());
        QStringList files = scan->files;
        files.sort();
        QCOMPARE(files, (QStringList{".versteckt", "a.txt", "ins-leere", "zeigt-auf-a.txt"}));
        QCOMPARE(scan->subfolders, QStringList{"Briefe"});
        QCOMPARE(scan->linkedSubfolders, QStringList{QStringLiteral("Verknüpfung")});
        QCOMPARE(hasSubfolders(dir.path()).value(), true);
        QCOMPARE(hasSubfolders(dir.path("Briefe")).value(), false);

        QCOMPARE(scanFolder(dir.path("fehlt")).error(), OsError::NotFound);
        QCOMPARE(scanFolder(dir.path("a.txt")).error(), OsError::NotAFolder);
        QCOMPARE(scanFolder("relativ/pfad").error(), OsError::NotFound);
        QCOMPARE(scanFolder("").error(), OsError::NotFound);
        if (geteuid() != 0) { // the superuser reads every folder
            QFile::setPermissions(dir.path("Briefe"), QFileDevice::WriteOwner);
            QCOMPARE(scanFolder(dir.path("Briefe")).error(), OsError::AccessDenied);
            QFile::setPermissions(dir.path("Briefe"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // The company folder counts only with an ordinary, visible file in it.
        QVERIFY(!folderHoldsFile(dir.path("fehlt")));
        QVERIFY(!folderHoldsFile(dir.path("Briefe")));
        dir.add(Tree{{"Briefe/unter/", {}}, {"Briefe/.versteckt", {}}});
        QVERIFY(!folderHoldsFile(dir.path("Briefe")));
        QVERIFY(folderHoldsFile(dir.path()));
    }

    void scanStopsWhenAsked() {
        const TestDir dir;
        for (int i = 0; i < 600; ++i)
            dir.file(QStringLiteral("f%1").arg(i));
        int asked = 0;
        QCOMPARE(scanFolder(dir.path(), [&] { return ++asked < 2; }).error(), OsError::Stopped);
        QCOMPARE(asked, 2);
        QCOMPARE(scanFolder(dir.path(), [] { return true; })->files.size(), 600);
    }

    // Sub-folder entries first, then the files the pattern picks, in list-box order; the entries
    // only while the folder text still names the listed folder.
    void listingOrderAndPaths() {
        const TestDir dir;
        for (const char* name : {"Rechnung 12.doc", "angebot PC.doc", "Angebot.txt", "Äpfel.doc",
                                 "Zettel.doc", "Brief.doc", " [Archiv].txt", "briefe/", "Archiv/"})
            dir.add(Tree{{QString::fromUtf8(name), {}}});
        const auto all = listFolder(dir.path(), WildcardPattern(u"*"));
        QCOMPARE(all->files,
                 (QStringList{" [Archiv].txt", "angebot PC.doc", "Angebot.txt", "Äpfel.doc",
                              "Brief.doc", "Rechnung 12.doc", "Zettel.doc"}));
        QCOMPARE(all->subfolders, (QStringList{dir.path("Archiv"), dir.path("briefe")}));
        const auto some = listFolder(dir.path(), WildcardPattern(u"Angebot*PC*.*;Brief*"));
        QCOMPARE(some->files, (QStringList{"angebot PC.doc", "Brief.doc"}));

        const MergedListing merged =
            mergedListing(*some, dir.path("bri"), {}, ProfileShorthand::Off);
        QCOMPARE(merged.lines,
                 (QStringList{" [" + dir.path("Archiv") + "]", " [" + dir.path("briefe") + "]",
                              "angebot PC.doc", "Brief.doc"}));
        QCOMPARE(merged.kinds, (QList<LineKind>{LineKind::FolderEntry, LineKind::FolderEntry,
                                                LineKind::File, LineKind::File}));
        // A file that looks like a folder entry is still a file.
        const MergedListing whole = mergedListing(*all, dir.path(), {}, ProfileShorthand::Off);
        QCOMPARE(whole.kinds[whole.lines.indexOf(" [Archiv].txt")], LineKind::File);
        QCOMPARE(mergedListing(*some, "/anderswo", {}, ProfileShorthand::Off).lines,
                 (QStringList{"angebot PC.doc", "Brief.doc"}));
        QCOMPARE(folderEntry("/home/anna/Briefe", "/home/", ProfileShorthand::On) +
                     folderEntry("/home/anna/Briefe", "/home/", ProfileShorthand::Off) +
                     folderEntry("/srv/home/x", "/home/", ProfileShorthand::On),
                 " [~anna/Briefe] [/home/anna/Briefe] [/srv/home/x]");
        for (int count : {0, 1, 2, 40000})
            QCOMPARE(countCaption(count),
                     QString::number(count) + (count == 1 ? " Datei" : " Dateien"));
        // The list-box order itself; paths joined, made plain, shortened.
        QStringList lines{"b", " [z]", "A", "10", "ä", "B"};
        sortLikeListBox(lines);
        QCOMPARE(lines, (QStringList{" [z]", "10", "A", QStringLiteral("ä"), "b", "B"}));
        std::vector<bool> fromFirst;
        QCOMPARE(ListBoxOrder().merge({" [a]", " [b]", "c"}, {"a", "C"}, &fromFirst),
                 (QStringList{" [a]", " [b]", "a", "c", "C"}));
        QCOMPARE(fromFirst, (std::vector<bool>{true, true, false, true, false}));
        QCOMPARE(ListBoxOrder().order({"b", "a"}), (std::vector<qsizetype>{1, 0}));

        for (const auto& [folder, joined] : {std::pair{"/", "/a.txt"},
                                             {"/home/x", "/home/x/a.txt"},
                                             {"/home/x/", "/home/x/a.txt"},
                                             {"C:\\", "C:\\a.txt"}})
            QCOMPARE(joinPath(QString(folder), u"a.txt"), joined);
        QCOMPARE(normalFolderPath(u"/home//x/./y/../") + u'|' + normalFolderPath(u"/") + u'|' +
                     normalFolderPath(u"relativ"),
                 "/home/x|/|");
        QCOMPARE(parentFolder(u"/home/x/"), std::optional<QString>("/home"));
        QCOMPARE(parentFolder(u"/home"), std::optional<QString>("/"));
        QCOMPARE(parentFolder(u"/"), std::nullopt);

        SiteFolders sites;
        sites.home = "/home/anna";
        sites.profilePrefix = "/home/";
        QCOMPARE(expandProfileShorthand("~benutzer/Eigene Dateien", sites),
                 "/home/benutzer/Eigene Dateien");
        QCOMPARE(expandProfileShorthand("~/Briefe", sites), "/home/anna/Briefe");
        QCOMPARE(expandProfileShorthand("~", sites), "/home/");
        QCOMPARE(expandProfileShorthand("/opt/PROGRA~1", sites), "/opt/PROGRA~1");
    }
};

QTEST_GUILESS_MAIN(TestFolderListing)
#include "test_folder_listing.moc"
