#include "preview/file_types.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <span>

namespace findolin {
namespace {

// The pictures are the old five and what Qt's image readers (with the image-formats plugins) read
// today; ".tif" also catches ".tiff".
constexpr QStringView kPictures[] = {u".wmf", u".bmp", u".ico",  u".jpg",  u".gif", u".jpeg",
                                     u".png", u".tif", u".webp", u".tga",  u".pbm", u".pgm",
                                     u".ppm", u".xbm", u".xpm",  u".icns", u".wbmp"};
constexpr QStringView kDocuments[] = {u".doc", u".dot", u".cdr", u".cpt", u".xls"};
constexpr QStringView kWeb[] = {u".htm", u".html", u".eml", u".mpg", u".mpeg", u".avi"};
// Drawings go to the document view but have no text to search either.
constexpr QStringView kDrawings[] = {u".cdr", u".cpt"};

struct TypeStrings {
    PreviewClass previewClass;
    std::span<const QStringView> strings;
};

// In the order they are tested.
constexpr std::array<TypeStrings, 3> kTable{{
    {PreviewClass::Picture, kPictures},
    {PreviewClass::Document, kDocuments},
    {PreviewClass::Web, kWeb},
}};

// Whether the name holds one of the types anywhere. Every type begins with a dot, so only the
// name's dots are looked at: a text search asks this of every name of a whole tree.
bool holdsAny(QStringView name, std::span<const QStringView> strings) {
    for (qsizetype dot = name.indexOf(u'.'); dot >= 0; dot = name.indexOf(u'.', dot + 1)) {
        const QStringView rest = name.sliced(dot);
        if (std::any_of(strings.begin(), strings.end(), [&](QStringView type) {
                return rest.startsWith(type, Qt::CaseInsensitive);
            }))
            return true;
    }
    return false;
}

} // namespace

PreviewClass previewClassOf(QStringView name) {
    for (const TypeStrings& row : kTable) {
        if (holdsAny(name, row.strings))
            return row.previewClass;
    }
    return PreviewClass::Other;
}

QStringList pictureTypes() {
    QStringList types;
    for (QStringView type : kPictures)
        types += type.toString();
    return types;
}

bool isPictureOrDrawingName(QStringView name) {
    return holdsAny(name, kPictures) || holdsAny(name, kDrawings);
}

WebMode webModeOf(QStringView path) {
    const QString extension = QFileInfo(path.toString()).suffix().toLower();
    if (extension == u"eml")
        return WebMode::Mail;
    if (extension == u"mpg" || extension == u"mpeg" || extension == u"avi")
        return WebMode::Video;
    return WebMode::Page;
}

bool isLocalUrl(const QUrl& url) {
    static const QStringList local{QStringLiteral("file"), QStringLiteral("data"),
                                   QStringLiteral("qrc"), QStringLiteral("about"),
                                   QStringLiteral("blob")};
    return local.contains(url.scheme(), Qt::CaseInsensitive) &&
           (url.scheme().compare(u"file", Qt::CaseInsensitive) != 0 || url.host().isEmpty());
}

} // namespace findolin
