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
        // A picture full screen on 1024 x 768 pixels at 15 twips per pixel.
        const QSizeF screen(15360, 11520);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::Off), std::nullopt);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::On), screen); // exactly 4:3
        const auto portrait = fullScreenPictureSize({9000, 12000}, screen, Zoom::Off);
        // 92 % of the screen
        QVERIFY(qFuzzyCompare(portrait->height(), 10598.4) &&
                qFuzzyCompare(portrait->width(), 7948.8));
        QCOMPARE(fullScreenPictureSize({45000, 15000}, screen, Zoom::Off), QSizeF(15360, 5120));
        // Larger in one direction only: scaled as well.
        QCOMPARE(fullScreenPictureSize({16000, 100}, screen, Zoom::Off), QSizeF(15360, 96));
        QVERIFY(fullScreenPictureSize({100, 12000}, screen, Zoom::Off));
        QCOMPARE(normalPictureArea(12000, 4000, 6744), QRectF(4030, 0, 7870, 6744));
    }

    // The list takes whole rows (of 300, in a frame of 30) as far as the room on the screen
    // allows; where not even the frame fits, or the row height is unknown, it keeps its 2000.
    // Everything below it follows its height.
    void layoutHeights() {
        const double rows[][4] = {
            // window height, row height, room on the screen (0: no limit), list height
            {8205, 300, 0, 6930}, // 8205 - 1150 = 7055 holds 23 rows and the frame
            {8215, 300, 0, 6930}, // the snapped height comes to rest
            {1400, 300, 0, 30},   {1180, 300, 0, 30},      {1179, 300, 0, 2000},
            {8205, 0, 0, 2000},   {9000, 300, 6114, 4530}, {9000, 300, 6115, 4830}};
        for (const auto& [height, row, room, list] : rows) {
            // full screen where the room is limited, and there the picture is left alone
            const LayoutInput in{11500, height, row, 30, 0, 0, room > 0, 2000, room};
            const WindowLayout l = layoutWindow(in);
            QCOMPARE(
                QList<double>({l.listHeight, l.bottomRowTop, l.label3Top, l.amountTop,
                               l.windowHeight, l.preview.top, l.preview.height}),
                QList<double>({list, list + 75, list + 150, list + 105, list + 1285, 0, list}));
            QCOMPARE(l.pictureHeight, in.fullScreen ? std::nullopt : std::optional(list));
        }
    }

    // The window's width and Text1's and Text2's present widths; then the lefts of Command1/2/3,
    // the widths of Text2/1/4 ("-": too narrow, left as it was), the lefts of Text1/4, the
    // preview's left and width. Text1 follows Text2's new width, Text4 Text1's old one.
    void layoutWidths() {
        for (const QString row :
             {"11500 0 0|9600 8700 10500 2376.7 1876.7 1876.7 4896.7 6773.3 4750 6650",
              "5570 700 900|3670 2770 4570 400 - - 2920 3620 4750 720",
              "5870 700 900|3970 3070 4870 500 0 0 3020 3020 4750 1020"}) {
            const QStringList in = row.section(u'|', 0, 0).split(u' ');
            const WindowLayout l =
                layoutWindow({in[0].toDouble(), 8205, 300, 30, in[1].toDouble(), in[2].toDouble()});
            QStringList shown;
            for (std::optional<double> value : QList<std::optional<double>>{
                     l.command1Left, l.command2Left, l.command3Left, l.text2Width, l.text1Width,
                     l.text4Width, l.text1Left, l.text4Left, l.preview.left, l.preview.width})
                shown << (value ? QString::number(std::round(*value * 10) / 10) : "-");
            QCOMPARE(row.section(u'|', 0, 0) + u'|' + shown.join(u' '), row);
        }
    }

    // A name, its class (Picture, Document, Web, Other), whether the text search passes over it.
    // The first class whose type the name holds anywhere wins.
    void classAndWebModeByName() {
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
        // Only the file's own extension tells a mail or a video from a page.
        for (const QString row :
             {"/home/a/seite.html|P", "/home/a/Post.EML|M", "/home/a/Feier.avi|V",
              "/home/a/film.mpeg|V", "/home/a/clip.MPG|V", "/home/a/lieferung.avis.htm|P",
              "/home/a/x.eml/seite.htm|P", "/home/a/clip.mpg.d/Post.eml|M"}) {
            const QString path = row.section(u'|', 0, 0);
            QCOMPARE(path + u'|' + "PMV"[int(webModeOf(path))], row);
        }
        // "+": a local address, "-": a remote one
        for (const QString url :
             {"+file:///home/a/seite.htm", "+data:image/png;base64,AAAA", "+about:blank",
              "+FILE:///x", "-http://example.org/x.png", "-https://tracker.example/p?id=1",
              "-HTTP://127.0.0.1:8080/", "-ftp://example.org/a", "-file://server/share/a",
              "-ws://example.org/"})
            QVERIFY2(isLocalUrl(QUrl(url.mid(1))) == url.startsWith(u'+'), qPrintable(url));
    }

    // Arguments after the program's name ("''": an empty one), what the line asks for (Start,
    // Help, Version, Refused with the hint at --help, refused without it), then the folder to
    // start on, the start of the help, the version text or the first line of the refusal.
    // "@" stands for the tree's path; every row runs in "@/work".
    void arguments() {
        const TestDir dir(Tree{
            {"work/sub/", {}}, {"work/other/", {}}, {"-dash/", {}}, {"work/note.txt", "text"}});
        dir.link(dir.path("work/sub"), "work/link");
        for (QString row :
             {"|S|", "--help|H|Usage: findolin [OPTION]... [FOLDER]\n",
              "-h|H|Usage: ", "--help @/gone|H|Usage: ", "--version|V|Findolin VERSION\n",
              "-v|V|Findolin VERSION\n",
              // Relative folders are taken in the working folder; every one comes clean.
              "sub|S|@/work/sub", ".|S|@/work", "../work/sub/|S|@/work/sub",
              "@/work/other|S|@/work/other", "/|S|/", "link|S|@/work/link", "-- @/-dash|S|@/-dash",
              // Qt's own options pass, and their values are not taken for the folder.
              "-platform offscreen|S|", "--platform=offscreen sub|S|@/work/sub",
              "-style fusion -reverse sub|S|@/work/sub", "-session 1234|S|",
              "-platformpluginpath x sub|S|@/work/sub", "--bogus|R|Unknown option 'bogus'.",
              "-x sub|R|Unknown option 'x'.", "-hv|R|Unknown option 'hv'.",
              "sub -platform|R|Missing value after '-platform'.",
              "--version=2|R|Unexpected value after '--version'.",
              "sub other|R|one folder at most, not 2: 'sub', 'other'",
              "gone|r|cannot list '@/work/gone': ENOENT",
              "note.txt/x|r|cannot list '@/work/note.txt/x': ENOTDIR",
              "note.txt|r|cannot list '@/work/note.txt': ENOTDIR",
              "''|r|cannot list '': ENOENT"}) { // "" is not the working folder
            row.replace(u'@', dir.path())
                .replace("VERSION", findolinVersion())
                .replace("ENOENT", QString::fromLocal8Bit(std::strerror(ENOENT)))
                .replace("ENOTDIR", QString::fromLocal8Bit(std::strerror(ENOTDIR)));
            QStringList arguments = row.section(u'|', 0, 0).split(u' ', Qt::SkipEmptyParts);
            arguments.replaceInStrings("''", "");
            const CommandLine line =
                parseCommandLine(QStringList{"findolin"} + arguments, dir.path("work"));
            const QChar kind = row.section(u'|', 1, 1)[0];
            const QString shown =
                line.action == Start      ? line.folder
                : line.action == ShowHelp ? line.message.left(row.section(u'|', 2).size())
                : line.action == ShowVersion
                    ? line.message
                    : line.message.section(u'\n', 0, 0).remove(0, 10); // "findolin: "
            QCOMPARE(row.section(u'|', 0, 1) + u'|' + shown, row);
            // the kinds in the order of CommandLine::Action
            QCOMPARE(line.action,
                     CommandLine::Action(QStringLiteral("SHVR").indexOf(kind.toUpper())));
            QCOMPARE(line.exitCode(), line.action == Refuse ? 2 : 0);
            QVERIFY(line.action == Start ? line.message.isEmpty() : line.folder.isEmpty());
            if (line.action == Refuse)
                QCOMPARE(
                    line.message,
                    "findolin: " + shown +
                        (kind == u'R' ? "\nTry 'findolin --help' for more information.\n" : "\n"));
        }
        // A folder whose name is not UTF-8 comes through as the same bytes, so the window can list
        // it.
        const QByteArray name = QFile::encodeName(dir.path("work")) + "/caf\xe9";
        QVERIFY(::mkdir(name.constData(), 0700) == 0);
        const auto remove = qScopeGuard([&] { ::rmdir(name.constData()); }); // Qt cannot name it
        // only a start has a folder, only a refusal a message with the name
        const CommandLine line = parseCommandLine({"findolin", nameFromBytes(name)}, "/");
        QCOMPARE(bytesOfName(line.folder), name);
        const CommandLine missing =
            parseCommandLine({"findolin", nameFromBytes(name + "\xff")}, "/");
        QVERIFY2(missing.message.contains(u"caf\uFFFD\uFFFD'"), qPrintable(missing.message));
    }

    // Last: from here on Qt speaks German in this process.
    void qtTextsInGerman() {
        QVERIFY(loadGermanQtTexts(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes") + u'|' +
                     QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 "&Ja|Abbrechen");
    }
};

QTEST_GUILESS_MAIN(TestWindowRules)
#include "test_window_rules.moc"
