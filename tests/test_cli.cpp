#include "testdir.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <poll.h>
#include <sys/inotify.h>

// The program as built, run as a user runs it.
class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsAndExits_data();
    void printsAndExits();
    void startsOnTheFolderGiven_data();
    void startsOnTheFolderGiven();
};

namespace {

// The environment of a run: a home of its own, and no display unless one is asked for.
QProcessEnvironment environment(const QString& home, bool display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.remove("XDG_CONFIG_HOME");
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    if (display)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

} // namespace

void TestCli::printsAndExits_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // patterns the whole output must match
    QTest::addColumn<QString>("err");

    const QString version = QRegularExpression::escape(FINDOLIN_PROJECT_VERSION);
    // None of these needs a display: the runs have none, and a window would abort them.
    QTest::newRow("--help") << QStringList{"--help"} << 0
                            << "Usage: findolin \\[OPTION\\]\\.\\.\\. \\[FOLDER\\]\n(.*\n)*.*"
                               "--version.*\n(.*\n)*"
                            << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Findolin " + version + "\n"
                               << "";
    QTest::newRow("-v after a Qt option")
        << QStringList{"-platform", "xcb", "-v"} << 0 << "Findolin " + version + "\n"
        << "";
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << 2 << ""
        << "findolin: Unknown option 'bogus'\\.\nTry 'findolin --help' for more information\\.\n";
    QTest::newRow("folder not there") << QStringList{"/nonexistent/findolin-test"} << 2 << ""
                                      << "findolin: cannot list '/nonexistent/findolin-test': .+\n";
}

void TestCli::printsAndExits() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    TestDir home;
    QProcess program;
    program.setProcessEnvironment(environment(home.path(), false));
    program.start(FINDOLIN_EXECUTABLE, arguments);
    QVERIFY2(program.waitForFinished(60000), "the program did not end by itself");
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(QRegularExpression("\\A(?:" + out + ")\\z").match(stdOut).hasMatch(),
             qPrintable(stdOut));
    QVERIFY2(QRegularExpression("\\A(?:" + err + ")\\z").match(stdErr).hasMatch(),
             qPrintable(stdErr));
}

void TestCli::startsOnTheFolderGiven_data() {
    QTest::addColumn<QString>("argument");
    QTest::newRow("absolute") << "@/elsewhere/Projekt";
    QTest::newRow("relative to where it starts") << "Projekt";
}

// The window opens the folder given, to list it, and stays up. The command line is checked
// without opening the folder, so that the opening seen is the listing's.
void TestCli::startsOnTheFolderGiven() {
    QFETCH(QString, argument);
    TestDir dir;
    dir.file("home/Documents/start.txt");
    const QString folder = dir.folder("elsewhere/Projekt");
    dir.file("elsewhere/Projekt/plan.txt");

    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    QVERIFY(watch >= 0);
    const auto closeWatch = qScopeGuard([&] { ::close(watch); });
    QVERIFY(::inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_OPEN) >= 0);

    QProcess program;
    program.setProcessEnvironment(environment(dir.path("home"), true));
    program.setWorkingDirectory(dir.path("elsewhere"));
    program.start(FINDOLIN_EXECUTABLE, {argument.replace(u'@', dir.path())});
    const auto endProgram = qScopeGuard([&] {
        program.kill();
        program.waitForFinished(30000);
    });
    QVERIFY(program.waitForStarted(30000));

    QDeadlineTimer deadline(60000);
    bool opened = false;
    while (!opened && !deadline.hasExpired() && program.state() == QProcess::Running) {
        pollfd event{watch, POLLIN, 0};
        opened = ::poll(&event, 1, 100) > 0;
        program.waitForFinished(0); // notices an end
    }
    QVERIFY2(program.state() == QProcess::Running,
             qPrintable("the program ended: " + program.readAllStandardError()));
    QVERIFY2(opened, "the folder given was not opened");
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
