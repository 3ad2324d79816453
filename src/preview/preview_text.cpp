#include "preview/preview_text.h"

#include "preview/content_loader.h"

namespace findolin {
namespace {

QString styleOf(const RtfFormat& format) {
    QString style;
    if (format.bold)
        style += QStringLiteral("font-weight:bold;");
    if (format.italic)
        style += QStringLiteral("font-style:italic;");
    if (format.underline)
        style += QStringLiteral("text-decoration:underline;");
    return style;
}

} // namespace

Result<PreviewText> previewText(const ContentLoader& loader, const QString& path, qsizetype limit) {
    PreviewText preview;
    // Blanks, tabs and line breaks stand as in the document.
    preview.html = QStringLiteral("<div style=\"white-space:pre-wrap\">");
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return file.error();
    // Room for the characters in any encoding the loader reads: a file with little or no text
    // (a disk image, a file of zeros) is cut by what was read, not read to its end.
    const qint64 byteLimit = 4 * qint64(limit);
    qsizetype shown = 0;
    const auto failure =
        loader.readFormatted(*file, path, [&](QStringView piece, const RtfFormat& format) {
            const QStringView part = piece.first(std::min(piece.size(), limit - shown));
            shown += part.size();
            const QString text = part.toString().toHtmlEscaped();
            const QString style = styleOf(format);
            preview.html += style.isEmpty()
                                ? text
                                : QStringLiteral("<span style=\"") + style + QStringLiteral("\">") +
                                      text + QStringLiteral("</span>");
            preview.cut = part.size() < piece.size() || file->position() > byteLimit;
            return !preview.cut;
        });
    if (!failure.ok())
        return failure.error();
    preview.html += QStringLiteral("</div>");
    if (preview.cut)
        preview.html += QStringLiteral("<p><i>… gekürzt: die Vorschau zeigt nur den Anfang "
                                       "dieser großen Datei.</i></p>");
    return preview;
}

} // namespace findolin
