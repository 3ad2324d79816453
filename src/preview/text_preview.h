#pragma once

class QString;
class QTextEdit;

namespace findolin {

class ContentLoader;

// Shows a file's text in the preview: rich text with its formatting, everything else as text,
// and of a very large file its beginning with a note. A file that cannot be read leaves the
// preview empty, never with the text of the file shown before.
bool showTextPreview(QTextEdit& preview, const ContentLoader& loader, const QString& path);

} // namespace findolin
