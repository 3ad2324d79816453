#include "preview/pdf_text.h"

#include "platform/native_names.h"

#include <QPdfDocument>
#include <QPdfSelection>

namespace findolin {

bool readPdfText(const QString& path, const TextSink& sink) {
    QPdfDocument document;
    if (document.load(pathForOtherPrograms(path)) != QPdfDocument::Error::None)
        return false;
    for (int page = 0; page < document.pageCount(); ++page) {
        if (!sink(document.getAllText(page).text() + u'\n'))
            break;
    }
    return true;
}

} // namespace findolin
