#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace findolin {

// Folder and name with one separator between them; none is added when the folder already ends
// in one (a root such as "/" or "C:\").
QString joinPath(QStringView folder, QStringView name);

// The folder that a typed text names, as an absolute path without "." and ".." parts and without
// a closing separator (but "/" for the root). Empty when the text is not an absolute path.
QString normalFolderPath(QStringView typed);

// The parent of a folder, or nothing at a root.
std::optional<QString> parentFolder(QStringView folder);

} // namespace findolin
