#include "testdir.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <poll.h>
#include <sys/inotify.h>

namespace {

// The environment of a run: a home of its own, and no display unless one is asked for.
QProcessEnvironment environment(const QString& home, bool display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    for (const char* name : {"XDG_CONFIG_HOME", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    if (display)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

} // namespace

// The program as built, run as a user runs it.
class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Arguments, then a pattern of the exit code, standard output and standard error, as
    // "code|out|err". None of these needs a display: the runs have none, and a window would abort
    // them.
    void printsAndExits() {
        const QString version = QRegularExpression::escape(FINDOLIN_PROJECT_VERSION);
        const std::pair<QStringList, QString> rows[] = {
            {{"--help"}, "0\\|Usage: findolin \\[OPTION\\]\\.\\.\\. \\[FOLDER\\]\n(.*\n)*\\|"},
            {{"--version"}, "0\\|Findolin " + version + "\n\\|"},
            {{"-platform", "xcb", "-v"}, "0\\|Findolin " + version + "\n\\|"},
            {{"--bogus"},
             "2\\|\\|findolin: Unknown option 'bogus'\\.\n"
             "Try 'findolin --help' for more information\\.\n"},
            {{"/nonexistent/findolin-test"},
             "2\\|\\|findolin: cannot list '/nonexistent/findolin-test': .+\n"}};
        for (const auto& [arguments, expected] : rows) {
            const TestDir home;
            QProcess program;
            program.setProcessEnvironment(environment(home.path(), false));
            program.start(FINDOLIN_EXECUTABLE, arguments);
            QVERIFY2(program.waitForFinished(60000), "the program did not end by itself");
            const int code = program.exitStatus() == QProcess::CrashExit ? -1 : program.exitCode();
            const QString shown = QString::number(code) + u'|' +
                                  QString::fromUtf8(program.readAllStandardOutput()) + u'|' +
                                  QString::fromUtf8(program.readAllStandardError());
            QVERIFY2(QRegularExpression("\\A(?:" + expected + ")\\z").match(shown).hasMatch(),
                     qPrintable(shown));
        }
    }

    // The window opens the folder given, absolute or relative to where it starts, to list it,
    // and stays up. The command line is checked without opening the folder, so that the opening
    // seen is the listing's.
    void startsOnTheFolderGiven() {
        for (QString argument : {"@/elsewhere/Projekt", "Projekt"}) {
            const TestDir dir(
                Tree{{"home/Documents/start.txt", {}}, {"elsewhere/Projekt/plan.txt", {}}});
            const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK); // a failure fails the next
            const auto closeWatch = qScopeGuard([&] { ::close(watch); });
            const QByteArray folder = QFile::encodeName(dir.path("elsewhere/Projekt"));
            QVERIFY(::inotify_add_watch(watch, folder.constData(), IN_OPEN) >= 0);

            QProcess program;
            program.setProcessEnvironment(environment(dir.path("home"), true));
            program.setWorkingDirectory(dir.path("elsewhere"));
            program.start(FINDOLIN_EXECUTABLE, {argument.replace(u'@', dir.path())});
            const auto endProgram = qScopeGuard([&] { program.kill(), program.waitForFinished(); });
            QVERIFY(program.waitForStarted(30000));
            QDeadlineTimer deadline(60000);
            bool opened = false;
            while (!opened && !deadline.hasExpired() && program.state() == QProcess::Running) {
                pollfd event{watch, POLLIN, 0};
                opened = ::poll(&event, 1, 100) > 0;
                program.waitForFinished(0); // notices an end
            }
            // it opened the folder and is still up
            QVERIFY2(opened && program.state() == QProcess::Running,
                     qPrintable(argument + ": " + program.readAllStandardError()));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
