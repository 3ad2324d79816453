#include "preview/text_preview.h"

#include "preview/preview_text.h"

#include <QTextEdit>

namespace findolin {

bool showTextPreview(QTextEdit& preview, const ContentLoader& loader, const QString& path) {
    const auto text = previewText(loader, path);
    if (!text) {
        preview.clear();
        return false;
    }
    preview.setHtml(text->html);
    return true;
}

} // namespace findolin
