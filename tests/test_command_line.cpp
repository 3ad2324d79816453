#include "app/command_line.h"
#include "platform/native_names.h"
#include "testdir.h"

#include <QtTest>
#include <cstring>

using namespace findolin;
using Action = CommandLine::Action;

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void arguments_data();
    void arguments();
    void folderNameThatIsNotUtf8();

private:
    TestDir dir_;
};

namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

// The tree the rows name, with "@" standing for its path: a folder "work" (the working folder of
// every row) with "work/sub", a file "work/note.txt", a folder "-dash" and a link to "work/sub".
void TestCommandLine::initTestCase() {
    dir_.folder("work/sub");
    dir_.folder("work/other");
    dir_.folder("-dash");
    dir_.file("work/note.txt", "text");
    dir_.link(dir_.path("work/sub"), "work/link");
}

void TestCommandLine::arguments_data() {
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("folder");  // the folder to start on
    QTest::addColumn<QString>("message"); // contained in the message; every line of it for help

    const QString usage = "Usage: findolin [OPTION]... [FOLDER]\n";
    const QString tryHelp = "Try 'findolin --help' for more information.\n";
    const QString help = usage + "\n-h, --help\n-v, --version\n";
    QTest::newRow("nothing") << QStringList{} << Action::Start << ""
                             << "";
    QTest::newRow("--help") << QStringList{"--help"} << Action::ShowHelp << "" << help;
    QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << "" << help;
    QTest::newRow("help before a folder that is not there")
        << QStringList{"--help", "@/gone"} << Action::ShowHelp << "" << help;
    QTest::newRow("--version") << QStringList{"--version"} << Action::ShowVersion << ""
                               << "Findolin " + findolinVersion() + "\n";
    QTest::newRow("-v") << QStringList{"-v"} << Action::ShowVersion << ""
                        << "Findolin " + findolinVersion() + "\n";

    // A folder: relative ones are taken in the working folder, every one comes clean.
    QTest::newRow("relative") << QStringList{"sub"} << Action::Start << "@/work/sub"
                              << "";
    QTest::newRow("dot") << QStringList{"."} << Action::Start << "@/work"
                         << "";
    QTest::newRow("up and down") << QStringList{"../work/sub/"} << Action::Start << "@/work/sub"
                                 << "";
    QTest::newRow("absolute") << QStringList{"@/work/other"} << Action::Start << "@/work/other"
                              << "";
    QTest::newRow("root") << QStringList{"/"} << Action::Start << "/"
                          << "";
    QTest::newRow("a link keeps its name") << QStringList{"link"} << Action::Start << "@/work/link"
                                           << "";
    QTest::newRow("after --, a name with a dash")
        << QStringList{"--", "@/-dash"} << Action::Start << "@/-dash"
        << "";

    // Qt's own options pass, and their values are not taken for the folder.
    QTest::newRow("-platform NAME") << QStringList{"-platform", "offscreen"} << Action::Start << ""
                                    << "";
    QTest::newRow("--platform=NAME and a folder")
        << QStringList{"--platform=offscreen", "sub"} << Action::Start << "@/work/sub"
        << "";
    QTest::newRow("-style NAME -reverse and a folder")
        << QStringList{"-style", "fusion", "-reverse", "sub"} << Action::Start << "@/work/sub"
        << "";
    QTest::newRow("-session ID") << QStringList{"-session", "1234"} << Action::Start << ""
                                 << "";

    // Refused: wrong options, too many folders, folders that cannot be listed.
    QTest::newRow("unknown long option") << QStringList{"--bogus"} << Action::Refuse << ""
                                         << "findolin: Unknown option 'bogus'.\n" + tryHelp;
    QTest::newRow("unknown short option") << QStringList{"-x", "sub"} << Action::Refuse << ""
                                          << "Unknown option 'x'";
    QTest::newRow("short options are not joined") << QStringList{"-hv"} << Action::Refuse << ""
                                                  << "Unknown option 'hv'";
    QTest::newRow("Qt option without its value")
        << QStringList{"sub", "-platform"} << Action::Refuse << ""
        << "'-platform'";
    QTest::newRow("value for an option that takes none")
        << QStringList{"--version=2"} << Action::Refuse << ""
        << "'--version'";
    QTest::newRow("two folders") << QStringList{"sub", "other"} << Action::Refuse << ""
                                 << "findolin: one folder at most, not 2: 'sub', 'other'\n" +
                                        tryHelp;
    QTest::newRow("not there") << QStringList{"gone"} << Action::Refuse << ""
                               << "findolin: cannot list '@/work/gone': " + reason(ENOENT) + "\n";
    QTest::newRow("below a file") << QStringList{"note.txt/x"} << Action::Refuse << ""
                                  << "cannot list '@/work/note.txt/x': " + reason(ENOTDIR);
    QTest::newRow("a file") << QStringList{"note.txt"} << Action::Refuse << ""
                            << "cannot list '@/work/note.txt': " + reason(ENOTDIR);
    QTest::newRow("empty name is not the working folder") << QStringList{""} << Action::Refuse << ""
                                                          << "cannot list '': " + reason(ENOENT);
}

void TestCommandLine::arguments() {
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, folder);
    QFETCH(QString, message);
    for (QString& argument : arguments)
        argument.replace(u'@', dir_.path());
    folder.replace(u'@', dir_.path());
    message.replace(u'@', dir_.path());

    const CommandLine line =
        parseCommandLine(QStringList{"/usr/bin/findolin"} + arguments, dir_.path("work"));
    QCOMPARE(line.action, action);
    QCOMPARE(line.folder, folder);
    QCOMPARE(line.exitCode(), action == Action::Refuse ? 2 : 0);
    if (action == Action::Refuse)
        QVERIFY2(line.message.startsWith("findolin: "), qPrintable(line.message));
    if (action == Action::ShowHelp) {
        QVERIFY2(line.message.startsWith(message.section(u'\n', 0, 0)), qPrintable(line.message));
        for (const QString& part : message.split(u'\n', Qt::SkipEmptyParts))
            QVERIFY2(line.message.contains(part), qPrintable(part));
    } else {
        QVERIFY2(line.message.contains(message), qPrintable(line.message));
    }
    QVERIFY(action == Action::Start ? line.message.isEmpty() : line.message.endsWith(u'\n'));
}

// A folder whose name is not UTF-8 comes through as the same bytes, so the window can list it.
void TestCommandLine::folderNameThatIsNotUtf8() {
    const QByteArray name = QFile::encodeName(dir_.path()) + "/caf\xe9";
    QVERIFY(::mkdir(name.constData(), 0700) == 0);
    // Qt's own removal of the tree cannot name it.
    const auto remove = qScopeGuard([&] { ::rmdir(name.constData()); });
    const CommandLine line = parseCommandLine({"findolin", nameFromBytes(name)}, "/");
    QCOMPARE(line.action, Action::Start);
    QCOMPARE(bytesOfName(line.folder), name);

    const CommandLine missing = parseCommandLine({"findolin", nameFromBytes(name + "\xff")}, "/");
    QCOMPARE(missing.action, Action::Refuse);
    QVERIFY2(missing.message.contains(u"caf\uFFFD\uFFFD'"), qPrintable(missing.message));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
