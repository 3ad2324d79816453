#pragma once

#include "platform/result.h"

#include <QString>

namespace findolin {

class ContentLoader;

// The beginning of a document as the text preview shows it: its text as HTML, with the bold,
// italic and underlined parts of rich text, paragraphs and tabs kept. A document longer than the
// limit is cut there, with a short note at its end.
struct PreviewText {
    QString html;
    bool cut = false;
};

inline constexpr qsizetype kPreviewCharacters = 200'000;

Result<PreviewText> previewText(const ContentLoader& loader, const QString& path,
                                qsizetype limit = kPreviewCharacters);

} // namespace findolin
