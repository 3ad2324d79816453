#include "app/command_line.h"

#include "platform/native_names.h"

#include <QCommandLineParser>
#include <QDir>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace findolin {
namespace {

// The options that QGuiApplication and QApplication take, and whether each takes a value.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},    {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},      {"qmljsdebugger", true},      {"qwindowgeometry", true},
    {"qwindowicon", true}, {"qwindowtitle", true},       {"session", true},
    {"display", true},     {"geometry", true},           {"style", true},
    {"stylesheet", true},  {"reverse", false},           {"widgetcount", false},
};

const char kUsage[] = "Usage: findolin [OPTION]... [FOLDER]\n";

QString helpText() {
    return QString::fromLatin1(kUsage) +
           QStringLiteral(
               "Find files by name and by content, and preview them.\n"
               "\n"
               "The window starts on FOLDER when one is given. Without one it starts on the\n"
               "documents folder, or, on a machine with the company folder, on this month's\n"
               "invoices.\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this help and exit\n"
               "  -v, --version  show the version and exit\n"
               "\n"
               "Qt's own options, such as -platform NAME or -style NAME, are accepted too.\n"
               "Exit status: 0, or 2 when the command line cannot be followed.\n");
}

enum class Hint { Help, None };

CommandLine refused(const QString& reason, Hint hint = Hint::Help) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.message = QStringLiteral("findolin: ") + reason + u'\n';
    if (hint == Hint::Help)
        line.message += QStringLiteral("Try 'findolin --help' for more information.\n");
    return line;
}

// Why the folder cannot be listed, or nothing when it can. Asked without opening the folder, so
// that the window's own listing is the first to open it.
QString whyNotListable(const QString& folder) {
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    if (folder.isEmpty()) // "" names no folder, not the current one
        return reason(ENOENT);
    const QByteArray path = bytesOfName(folder);
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return reason(errno);
    if (!S_ISDIR(status.st_mode))
        return reason(ENOTDIR);
    // Reading the names takes r, looking at each of them x.
    if (::access(path.constData(), R_OK | X_OK) != 0)
        return reason(errno);
    return {};
}

} // namespace

QString findolinVersion() {
    return QStringLiteral(FINDOLIN_VERSION);
}

int CommandLine::exitCode() const {
    return action == Action::Refuse ? kUsageError : 0;
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QCommandLineParser parser;
    // Qt's options are words after one dash ("-platform"); so are ours, as a plain "-h".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const QtOption& qtOption : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name));
        if (qtOption.takesValue)
            option.setValueName(QStringLiteral("value"));
        parser.addOption(option);
    }
    if (!parser.parse(arguments))
        return refused(parser.errorText());

    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::ShowHelp;
        line.message = helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::ShowVersion;
        line.message = QStringLiteral("Findolin ") + findolinVersion() + u'\n';
        return line;
    }

    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return refused(QStringLiteral("one folder at most, not %1: '%2'")
                           .arg(folders.size())
                           .arg(visibleText(folders.join(QStringLiteral("', '")))));
    if (folders.size() == 1) {
        const QString& given = folders.first();
        const QString folder =
            given.isEmpty() ? given : QDir::cleanPath(QDir(workingFolder).filePath(given));
        if (const QString why = whyNotListable(folder); !why.isEmpty())
            return refused(QStringLiteral("cannot list '%1': %2").arg(visibleText(folder), why),
                           Hint::None);
        line.folder = folder;
    }
    return line;
}

} // namespace findolin
