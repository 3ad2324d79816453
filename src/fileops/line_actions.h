#pragma once

#include "search/line_kind.h"

#include <QList>
#include <QString>

class QMimeData;

namespace findolin {

// What the context menu of a result list offers on a line.
enum class LineAction {
    Open,         // as the Datei menu's "Öffnen", with its question
    Print,        // the Datei menu's
    Rename,       // the Datei menu's
    Copy,         // the Datei menu's: into a folder chosen in the target-folder dialog
    Delete,       // the Datei menu's
    CopyPath,     // the full path to the clipboard
    ShowInFolder, // the file manager on the file's folder, the file selected
    OpenFolder,   // the file manager on the folder the line names
};

// A file offers the file operations and its place. A header line or a folder entry names a
// folder, which the file operations refuse: it can be opened or have its path taken.
QList<LineAction> lineActions(LineKind kind);

// The folder a header line (">>>[folder]") or a folder entry (" [folder]") names, as written: a
// folder entry below the profiles' folder begins with "~". Empty for a file's line.
QString folderNamedBy(LineKind kind, const QString& line);

// The URL of a file for other programs, as its encoded text: every byte of the path that is not
// plain ASCII is percent-encoded, so that a name that is not UTF-8 reaches the very file too (a
// QUrl would turn such bytes into replacement characters).
QByteArray fileUri(const QString& path);

// What a file dragged out of the window carries: its URL (text/uri-list), which file managers,
// mail programs and desktops take as the file.
QMimeData* fileDragData(const QString& path);

} // namespace findolin
