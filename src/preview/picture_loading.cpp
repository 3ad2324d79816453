#include "preview/picture_loading.h"

#include "platform/native_names.h"
#include "platform/read_only_file.h"

#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace findolin {
namespace {

// Windows metafiles have no Qt reader; libwmf draws them into a PNG.
QPixmap loadMetafile(const QString& path) {
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("wmf2gd"));
    QTemporaryDir folder;
    if (converter.isEmpty() || !folder.isValid())
        return {};
    const QString png = folder.filePath(QStringLiteral("bild.png"));
    QProcess process;
    process.start(converter,
                  {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-o"), png, path});
    if (!process.waitForFinished(30'000) || process.exitCode() != 0)
        return {};
    return QPixmap(png);
}

bool isMetafile(const QString& path) {
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return false;
    const auto head = file->read(4);
    // The placeable header, or a plain metafile header (memory or disk type, header of 9 words).
    return head && (head->startsWith("\xd7\xcd\xc6\x9a") ||
                    head->startsWith(QByteArray("\x01\x00\x09\x00", 4)) ||
                    head->startsWith(QByteArray("\x02\x00\x09\x00", 4)));
}

} // namespace

QPixmap loadPicture(const QString& path) {
    if (isMetafile(path))
        return loadMetafile(pathForOtherPrograms(path));
    QImageReader reader(pathForOtherPrograms(path));
    reader.setAutoTransform(true);
    return QPixmap::fromImage(reader.read());
}

} // namespace findolin
