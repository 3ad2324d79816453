#include "preview/file_types.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace findolin {
namespace {

struct TypeStrings {
    PreviewClass previewClass;
    std::initializer_list<QStringView> strings;
};

// In the order they are tested.
const std::array<TypeStrings, 3> kTable{{
    {PreviewClass::Picture, {u".wmf", u".bmp", u".ico", u".jpg", u".gif"}},
    {PreviewClass::Document, {u".doc", u".dot", u".cdr", u".cpt", u".xls"}},
    {PreviewClass::Web, {u".htm", u".html", u".eml", u".mpg", u".mpeg", u".avi"}},
}};

} // namespace

PreviewClass previewClassOf(QStringView name) {
    for (const TypeStrings& row : kTable) {
        if (std::any_of(row.strings.begin(), row.strings.end(),
                        [&](QStringView type) { return name.contains(type, Qt::CaseInsensitive); }))
            return row.previewClass;
    }
    return PreviewClass::Other;
}

} // namespace findolin
