#include "app/command_line.h"
#include "platform/native_names.h"
#include "testdir.h"

#include <QtTest>
#include <cstring>

using namespace findolin;
using enum CommandLine::Action;

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
