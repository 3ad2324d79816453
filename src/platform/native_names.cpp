#include "platform/native_names.h"

#include "preview/text_decoding.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QTemporaryDir>
#include <algorithm>
#include <unistd.h>

namespace findolin {
namespace {

constexpr char16_t kFirstRawByte = 0xdc80; // stands for the byte 0x80, up to 0xdcff for 0xff

// Calls `visit` for each UTF-16 unit or surrogate pair of `name`, telling it which of them stand
// for a raw byte; stops when it answers false.
template <typename Visit> void forEachUnit(QStringView name, Visit visit) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            if (!visit(name.sliced(i, 2), false))
                return;
            ++i;
        } else if (!visit(name.sliced(i, 1), unit >= kFirstRawByte && unit <= 0xdcff)) {
            return;
        }
    }
}

} // namespace

QString nameFromBytes(QByteArrayView bytes) {
    QString name = QString::fromUtf8(bytes);
    if (!name.contains(QChar::ReplacementCharacter))
        return name; // valid UTF-8, the usual case
    name.clear();
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = validUtf8Sequence(p + i, bytes.size() - i);
        if (length <= 0) {
            name += QChar(char16_t(0xdc00 + p[i]));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.sliced(i, length));
            i += length;
        }
    }
    return name;
}

bool hasRawBytes(QStringView name) {
    // Called for every file the search opens: most names hold no surrogate at all.
    if (std::none_of(name.begin(), name.end(), [](QChar c) { return c.isSurrogate(); }))
        return false;
    bool found = false;
    forEachUnit(name, [&](QStringView, bool rawByte) {
        found = rawByte;
        return !found;
    });
    return found;
}

QByteArray bytesOfName(QStringView name) {
    if (!hasRawBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    forEachUnit(name, [&](QStringView unit, bool rawByte) {
        if (rawByte)
            bytes += char(unit[0].unicode() - 0xdc00);
        else
            bytes += unit.toUtf8();
        return true;
    });
    return bytes;
}

QString visibleText(const QString& name) {
    if (!hasRawBytes(name))
        return name;
    QString text;
    text.reserve(name.size());
    forEachUnit(name, [&](QStringView unit, bool rawByte) {
        if (rawByte)
            text += QChar::ReplacementCharacter;
        else
            text += unit;
        return true;
    });
    return text;
}

QString pathForOtherPrograms(const QString& path) {
    if (!hasRawBytes(path))
        return path;
    // Each link in a folder of its own, so that names that look alike once shown never collide.
    static QMutex mutex;
    static QTemporaryDir links(QDir::tempPath() + QStringLiteral("/findolin-links-XXXXXX"));
    static QHash<QString, QString> made;
    const QMutexLocker lock(&mutex);
    if (const auto known = made.constFind(path); known != made.cend())
        return *known;
    if (!links.isValid())
        return {};
    const QString folder = links.filePath(QString::number(made.size()));
    const QString link = folder + u'/' + visibleText(QFileInfo(path).fileName());
    if (!QDir().mkdir(folder) ||
        ::symlink(bytesOfName(QFileInfo(path).absoluteFilePath()).constData(),
                  link.toUtf8().constData()) != 0)
        return {};
    made.insert(path, link);
    return link;
}

} // namespace findolin
