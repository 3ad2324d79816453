#include "app/command_line.h"
#include "app/layout.h"
#include "app/window_rules.h"
#include "platform/native_names.h"
#include "preview/file_types.h"
#include "preview/picture_scaling.h"
#include "testdir.h"

#include <QtTest>
#include <cstring>

using namespace findolin;
using enum CommandLine::Action;

// The rules of the window, its previews and its command line, below any widget.
class TestWindowRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placementAndPatterns() {
        QCOMPARE(narrowScreenPlacement(19999), (TwipsRect{120, 120, 11500, 8205}));
        QCOMPARE(narrowScreenPlacement(20000), std::nullopt);
        QCOMPARE(twipsToPixels(11500, 15), 767);
        QCOMPARE(twipsToPixels(8205, 15), 547);
        QCOMPARE(pixelsToTwips(547, 15), 8205.0);
        QCOMPARE(invoicePattern(QDate(2026, 12, 6)), QStringLiteral("a01*.*;*.1226*"));
        QCOMPARE(invoicePattern(QDate(2005, 3, 31)), QStringLiteral("a01*.*;*.035*"));
        QCOMPARE(invoicePattern(QDate(2010, 10, 1)), QStringLiteral("a01*.*;*.1010*"));
    }

    // A layout in one line: list height, bottom row, Label3, amount fields, window height, the
    // lefts of Command1/2/3, the widths of Text2/1/4 ("-": left as it was), the lefts of Text1/4,
    // the preview's left, width and height, the picture's height.
    void layout() {
        const std::pair<LayoutInput, const char*>
            rows[] =
                {
                    // 8205 - 1150 = 7055 holds 23 whole rows of 300 and the frame of 30.
                    {{11500, 8205, 300, 30},
                     "6930 7005 7080 7035 8215 9600 8700 10500 2376.7 1876.7 1876.7 4896.7 6773.3 "
                     "4750 6650 6930 6930"},
                    {{11500, 8215, 300, 30},
                     "6930 7005 7080 7035 8215 9600 8700 10500 2376.7 1876.7 1876.7 4896.7 6773.3 "
                     "4750 6650 6930 6930"}, // the snapped height comes to rest
                    {{11500, 8215, 300, 30, 0, 0, true},
                     "6930 7005 7080 7035 8215 9600 8700 10500 2376.7 1876.7 1876.7 4896.7 6773.3 "
                     "4750 6650 6930 -"},
                    // Too narrow for Text1 and Text4: w = (5570 - 2800 - 2620) / 3 - 150 = -100.
                    // Text1
                    // follows Text2's new width, Text4 Text1's old one.
                    {{5570, 8205, 300, 30, 700, 900},
                     "6930 7005 7080 7035 8215 3670 2770 4570 400 - - 2920 3620 4750 720 6930 "
                     "6930"},
                    {{5870, 8205, 300, 30, 700, 900},
                     "6930 7005 7080 7035 8215 3970 3070 4870 500 0 0 3020 3020 4750 1020 6930 "
                     "6930"}, // just wide enough for nothing
                    // The list stood 2000 high before.
                    {{12000, 1400, 300, 30, 0, 0, false, 2000},
                     "30 105 180 135 1315 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 4750 "
                     "7150 30 30"}, // no whole row
                    {{12000, 1180, 300, 30, 0, 0, false, 2000},
                     "30 105 180 135 1315 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 4750 "
                     "7150 30 30"}, // just the frame
                    {{12000, 1179, 300, 30, 0, 0, false, 2000},
                     "2000 2075 2150 2105 3285 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 "
                     "4750 7150 2000 2000"}, // not even the frame
                    {{12000, 8205, 0, 30, 0, 0, false, 2000},
                     "2000 2075 2150 2105 3285 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 "
                     "4750 7150 2000 2000"}, // row height unknown
                    // Never taller than the room on the screen.
                    {{12000, 9000, 300, 30, 0, 0, false, 2000, 6114},
                     "4530 4605 4680 4635 5815 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 "
                     "4750 7150 4530 4530"},
                    {{12000, 9000, 300, 30, 0, 0, false, 2000, 6115},
                     "4830 4905 4980 4935 6115 10100 9200 11000 2543.3 2043.3 2043.3 5063.3 7106.7 "
                     "4750 7150 4830 4830"},
                };
        for (const auto& [in, expected] : rows) {
            const WindowLayout l = layoutWindow(in);
            QStringList shown;
            for (std::optional<double> value :
                 {std::optional(l.listHeight), std::optional(l.bottomRowTop),
                  std::optional(l.label3Top), std::optional(l.amountTop),
                  std::optional(l.windowHeight), std::optional(l.command1Left),
                  std::optional(l.command2Left), std::optional(l.command3Left), l.text2Width,
                  l.text1Width, l.text4Width, std::optional(l.text1Left),
                  std::optional(l.text4Left), std::optional(l.preview.left),
                  std::optional(l.preview.width), std::optional(l.preview.height), l.pictureHeight})
                shown << (value ? QString::number(std::round(*value * 10) / 10) : "-");
            QCOMPARE(shown.join(u' '), expected);
            QCOMPARE(l.preview.top, 0);
        }
    }

    // A name, its class (Picture, Document, Web, Other), whether the text search passes over it.
    // The first class whose type the name holds anywhere wins.
    void classByName() {
        for (const QString row :
             {"FOTO.JPG|P|+", "scan.tiff|P|+", "urlaub.gif.txt|P|+", "report.gifts.doc|P|+",
              "v1.2.Jpg|P|+", "brief.doc.txt|D|-", "liste.xlsx|D|-", "plan.CDR|D|+",
              "a.htm.doc|D|-", "seite.html|W|-", "Post.eml|W|-", "clip.mpg|W|-", "notiz.txt|O|-",
              "png-Liste.txt|O|-", "LIESMICH|O|-", "Brief.|O|-"}) {
            const QString name = row.section(u'|', 0, 0);
            QCOMPARE(name + u'|' + "PDWO"[int(previewClassOf(name))] +
                         (isPictureOrDrawingName(name) ? "|+" : "|-"),
                     row);
        }
    }

    // Only the file's own extension tells a mail or a video from a page.
    void webModeByOwnExtension() {
        for (const QString row :
             {"/home/a/seite.html|P", "/home/a/Post.EML|M", "/home/a/Feier.avi|V",
              "/home/a/film.mpeg|V", "/home/a/clip.MPG|V", "/home/a/lieferung.avis.htm|P",
              "/home/a/x.eml/seite.htm|P", "/home/a/clip.mpg.d/Post.eml|M"}) {
            const QString path = row.section(u'|', 0, 0);
            QCOMPARE(path + u'|' + "PMV"[int(webModeOf(path))], row);
        }
        for (const char* local :
             {"file:///home/a/seite.htm", "data:image/png;base64,AAAA", "about:blank", "FILE:///x"})
            QVERIFY2(isLocalUrl(QUrl(QString::fromLatin1(local))), local);
        for (const char* remote : {"http://example.org/x.png", "https://tracker.example/p?id=1",
                                   "HTTP://127.0.0.1:8080/", "ftp://example.org/a",
                                   "file://server/share/a", "ws://example.org/"})
            QVERIFY2(!isLocalUrl(QUrl(QString::fromLatin1(remote))), remote);
    }

    // A screen of 1024 x 768 pixels at 15 twips per pixel.
    void fullScreenScaling() {
        const QSizeF screen(15360, 11520);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::Off), std::nullopt);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::On), screen); // exactly 4:3
        const auto portrait = fullScreenPictureSize({9000, 12000}, screen, Zoom::Off);
        QVERIFY(qFuzzyCompare(portrait->height(), 10598.4)); // 92 % of the screen
        QVERIFY(qFuzzyCompare(portrait->width(), 7948.8));
        QCOMPARE(fullScreenPictureSize({45000, 15000}, screen, Zoom::Off), QSizeF(15360, 5120));
        // Larger in one direction only: scaled as well.
        QCOMPARE(fullScreenPictureSize({16000, 100}, screen, Zoom::Off), QSizeF(15360, 96));
        QVERIFY(fullScreenPictureSize({100, 12000}, screen, Zoom::Off));
        QCOMPARE(normalPictureArea(12000, 4000, 6744), QRectF(4030, 0, 7870, 6744));
    }

    // "@" stands for the tree's path; every row runs in "@/work".
    void arguments() {
        const TestDir dir(Tree{
            {"work/sub/", {}}, {"work/other/", {}}, {"-dash/", {}}, {"work/note.txt", "text"}});
        dir.link(dir.path("work/sub"), "work/link");
        const QString noEntry = QString::fromLocal8Bit(std::strerror(ENOENT)) + "\n";
        const QString notDir = QString::fromLocal8Bit(std::strerror(ENOTDIR)) + "\n";
        const QString tryHelp = "\nTry 'findolin --help' for more information.\n";
        const QString version = "Findolin " + findolinVersion() + "\n";
        struct Row {
            QStringList arguments; // after the program's name
            CommandLine::Action action;
            QString outcome; // Start: the folder; help: the message's start; else the message
        };
        const Row rows[] = {
            {{}, Start, ""},
            {{"--help"}, ShowHelp, "Usage: findolin [OPTION]... [FOLDER]\n"},
            {{"-h"}, ShowHelp, "Usage: "},
            {{"--help", "@/gone"}, ShowHelp, "Usage: "},
            {{"--version"}, ShowVersion, version},
            {{"-v"}, ShowVersion, version},
            // Relative folders are taken in the working folder; every one comes clean.
            {{"sub"}, Start, "@/work/sub"},
            {{"."}, Start, "@/work"},
            {{"../work/sub/"}, Start, "@/work/sub"},
            {{"@/work/other"}, Start, "@/work/other"},
            {{"/"}, Start, "/"},
            {{"link"}, Start, "@/work/link"},
            {{"--", "@/-dash"}, Start, "@/-dash"},
            // Qt's own options pass, and their values are not taken for the folder.
            {{"-platform", "offscreen"}, Start, ""},
            {{"--platform=offscreen", "sub"}, Start, "@/work/sub"},
            {{"-style", "fusion", "-reverse", "sub"}, Start, "@/work/sub"},
            {{"-session", "1234"}, Start, ""},
            // Refused: wrong options, too many folders, folders that cannot be listed.
            {{"--bogus"}, Refuse, "findolin: Unknown option 'bogus'." + tryHelp},
            {{"-x", "sub"}, Refuse, "findolin: Unknown option 'x'." + tryHelp},
            {{"-hv"}, Refuse, "findolin: Unknown option 'hv'." + tryHelp},
            {{"sub", "-platform"}, Refuse, "findolin: Missing value after '-platform'." + tryHelp},
            {{"--version=2"}, Refuse, "findolin: Unexpected value after '--version'." + tryHelp},
            {{"sub", "other"},
             Refuse,
             "findolin: one folder at most, not 2: 'sub', 'other'" + tryHelp},
            {{"gone"}, Refuse, "findolin: cannot list '@/work/gone': " + noEntry},
            {{"note.txt/x"}, Refuse, "findolin: cannot list '@/work/note.txt/x': " + notDir},
            {{"note.txt"}, Refuse, "findolin: cannot list '@/work/note.txt': " + notDir},
            {{""}, Refuse, "findolin: cannot list '': " + noEntry}, // "" is not the working folder
        };
        for (Row row : rows) {
            for (QString& argument : row.arguments)
                argument.replace(u'@', dir.path());
            const CommandLine line = parseCommandLine(
                QStringList{"/usr/bin/findolin"} + row.arguments, dir.path("work"));
            const QString input = row.arguments.join(u' ') + " -> ";
            const QString outcome = line.action == Start ? line.folder
                                    : line.action == ShowHelp
                                        ? line.message.left(row.outcome.size())
                                        : line.message;
            QCOMPARE(input + outcome, input + row.outcome.replace(u'@', dir.path()));
            QCOMPARE(line.action, row.action);
            QCOMPARE(line.exitCode(), row.action == Refuse ? 2 : 0);
            QVERIFY(line.action == Start ? line.message.isEmpty() : line.folder.isEmpty());
        }
    }

    // A folder whose name is not UTF-8 comes through as the same bytes, so the window can list it.
    void folderNameThatIsNotUtf8() {
        const TestDir dir;
        const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9";
        QVERIFY(::mkdir(name.constData(), 0700) == 0);
        const auto remove = qScopeGuard([&] { ::rmdir(name.constData()); }); // Qt cannot name it
        const CommandLine line = parseCommandLine({"findolin", nameFromBytes(name)}, "/");
        QCOMPARE(line.action, Start);
        QCOMPARE(bytesOfName(line.folder), name);
        const CommandLine missing =
            parseCommandLine({"findolin", nameFromBytes(name + "\xff")}, "/");
        QCOMPARE(missing.action, Refuse);
        QVERIFY2(missing.message.contains(u"caf\uFFFD\uFFFD'"), qPrintable(missing.message));
    }

    // Last: from here on Qt speaks German in this process.
    void qtTextsInGerman() {
        QVERIFY(loadGermanQtTexts(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
    }
};

QTEST_GUILESS_MAIN(TestWindowRules)
#include "test_window_rules.moc"
