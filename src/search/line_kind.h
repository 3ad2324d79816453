#pragma once

#include <QList>
#include <QStringList>

namespace findolin {

// What a line of a result list stands for. The program knows it because it wrote the line, so a
// file whose name looks like a header (">>>") or a folder entry (" [...]") is still a file.
enum class LineKind : unsigned char {
    File,        // a file: its name
    Header,      // ">>>[folder]" above the hits of a folder
    FolderEntry, // " [folder]": a sub-folder to step into
};

// Lines on their way into a result list, with their paths (when the list keeps them) and kinds.
struct PendingLines {
    QStringList lines;
    QStringList paths;
    QList<LineKind> kinds;

    // `path` is null when the lines are names in the file list's folder.
    void add(const QString& line, const QString* path, LineKind kind) {
        lines.append(line);
        if (path)
            paths.append(*path);
        kinds.append(kind);
    }
    void removeLast() {
        lines.removeLast();
        if (!paths.isEmpty())
            paths.removeLast();
        kinds.removeLast();
    }
};

} // namespace findolin
