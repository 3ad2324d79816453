#include "platform/paths.h"

#include <QDir>

namespace findolin {

QString joinPath(QStringView folder, QStringView name) {
    const bool endsInSeparator = folder.endsWith(u'/') || folder.endsWith(u'\\');
    if (folder.isEmpty() || endsInSeparator)
        return folder.toString() + name.toString();
    return folder.toString() + QDir::separator() + name.toString();
}

QString normalFolderPath(QStringView typed) {
    const QString text = typed.toString();
    if (!QDir::isAbsolutePath(text))
        return {};
    return QDir::cleanPath(QDir::fromNativeSeparators(text));
}

std::optional<QString> parentFolder(QStringView folder) {
    const QString clean = normalFolderPath(folder);
    if (clean.isEmpty() || QDir(clean).isRoot())
        return std::nullopt;
    const qsizetype cut = clean.lastIndexOf(u'/');
    if (cut <= 0)
        return QStringLiteral("/");
    QString parent = clean.left(cut);
    if (parent.endsWith(u':')) // a drive root keeps its separator: "C:/"
        parent += u'/';
    return parent;
}

} // namespace findolin
