#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace findolin {

// File names on Linux are bytes, usually UTF-8 but not always (an old archive, a name written on
// another system). A name is kept as a QString in which every byte that is not part of valid
// UTF-8 stands as the lone surrogate U+DC80 + byte, so that the bytes come back exactly when the
// file is opened, renamed or deleted. Valid UTF-8 decodes as usual: for such names nothing
// changes.

QString nameFromBytes(QByteArrayView bytes);
QByteArray bytesOfName(QStringView name);

// Whether the name holds bytes that are not UTF-8.
bool hasRawBytes(QStringView name);

// The name as it is shown: each byte that is not UTF-8 becomes U+FFFD.
QString visibleText(const QString& name);

// A path that Qt's own file classes and other programs can open: the path itself, or, when it
// holds bytes that are not UTF-8 (which they cannot name), a link to it with a UTF-8 name in a
// folder of this process's own that only its user can read, removed when the program ends.
// Empty when no link can be made.
QString pathForOtherPrograms(const QString& path);

} // namespace findolin
