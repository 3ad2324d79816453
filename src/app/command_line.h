#pragma once

#include <QString>
#include <QStringList>

namespace findolin {

// The version the build was made from, as the project names it ("0.1").
QString findolinVersion();

// What the command line asks for, read before any window or display is needed, so that --help
// and --version work anywhere.
struct CommandLine {
    enum class Action { Start, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Start;
    // Start: the folder to list instead of the usual start folder, as an absolute path; empty
    // when none was given.
    QString folder;
    // ShowHelp and ShowVersion: the text for standard output. Refuse: the reason, for standard
    // error. Each ends in a line break.
    QString message;

    // 0, or kUsageError when the command line was refused.
    int exitCode() const;
};

// The exit status of a command line that cannot be followed, as usual for wrong usage.
inline constexpr int kUsageError = 2;

// Reads `arguments` as main received them, the program first (each decoded by nameFromBytes, so
// that a folder name that is not UTF-8 survives). A relative folder is taken in
// `workingFolder`. Qt's own options (-platform NAME, -style NAME, ...) pass unread: the
// application object reads them from the same arguments. A folder that cannot be listed is
// refused here, before a window opens on something else.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);

} // namespace findolin
