#include "fileops/line_actions.h"

#include "platform/native_names.h"

#include <QMimeData>

namespace findolin {
namespace {

// QMimeData turns a URI list it is given into QUrls, and a byte that is not UTF-8 into a
// replacement character; this one hands out the list as it was made.
class UriList : public QMimeData {
public:
    explicit UriList(QByteArray uris) : uris_(std::move(uris)) {}

    bool hasFormat(const QString& mimeType) const override { return mimeType == kFormat; }
    QStringList formats() const override { return {kFormat}; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override {
        return mimeType == kFormat ? QVariant(uris_) : QVariant();
    }

private:
    static inline const QString kFormat = QStringLiteral("text/uri-list");
    QByteArray uris_;
};

} // namespace

QList<LineAction> lineActions(LineKind kind) {
    switch (kind) {
    case LineKind::File:
        return {LineAction::Open,   LineAction::Print,    LineAction::Rename,      LineAction::Copy,
                LineAction::Delete, LineAction::CopyPath, LineAction::ShowInFolder};
    case LineKind::Header:
    case LineKind::FolderEntry:
        return {LineAction::CopyPath, LineAction::OpenFolder};
    }
    return {};
}

QString folderNamedBy(LineKind kind, const QString& line) {
    const auto between = [&line](QStringView open) {
        return line.startsWith(open) && line.endsWith(u']')
                   ? line.sliced(open.size(), line.size() - open.size() - 1)
                   : QString();
    };
    switch (kind) {
    case LineKind::Header:
        return between(u">>>[");
    case LineKind::FolderEntry:
        return between(u" [");
    case LineKind::File:
        break;
    }
    return {};
}

QByteArray fileUri(const QString& path) {
    return "file://" + bytesOfName(path).toPercentEncoding("/");
}

QMimeData* fileDragData(const QString& path) {
    return new UriList(fileUri(path) + "\r\n");
}

} // namespace findolin
