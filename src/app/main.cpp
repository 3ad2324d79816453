#include "app/application.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/window_rules.h"
#include "platform/native_names.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // Read before the application object, which needs a display: --help and --version work
    // without one, and a wrong command line opens no window.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << findolin::nameFromBytes(argv[i]);
    const findolin::CommandLine commandLine = findolin::parseCommandLine(
        arguments, findolin::nameFromBytes(std::filesystem::current_path().native()));
    if (commandLine.action != findolin::CommandLine::Action::Start) {
        std::FILE* out =
            commandLine.action == findolin::CommandLine::Action::Refuse ? stderr : stdout;
        std::fputs(commandLine.message.toLocal8Bit().constData(), out);
        return commandLine.exitCode();
    }

    // The web view's engine refuses to run as the superuser inside its sandbox.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view needs it early
    QApplication app(argc, argv);
    findolin::presentApplication(app);
    findolin::loadGermanQtTexts(app);
    findolin::Form1 window;
    findolin::showMainWindow(window, commandLine.folder);
    return app.exec();
}
