#pragma once

#include "preview/content_loader.h"

namespace findolin {

// The text of a PDF document, page by page, as the PDF library lays it out.
bool readPdfText(const QString& path, const TextSink& sink);

} // namespace findolin
