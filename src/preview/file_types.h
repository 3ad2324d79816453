#pragma once

#include <QStringList>
#include <QStringView>
#include <QUrl>

namespace findolin {

// Which preview surface shows a file, told by its name alone.
enum class PreviewClass {
    Picture,  // the picture viewer
    Document, // the document view (office documents, through the office suite)
    Web,      // the web view: pages, mail, video
    Other,    // the text preview
};

// The first class whose type string the name holds anywhere, without regard to case, in the
// order picture, document, web; any other name is shown as text. So "urlaub.gif.txt" is a picture
// and "brief.doc.txt" a document, as the office's files have always been told apart.
PreviewClass previewClassOf(QStringView name);

// The type strings of the picture class (".jpg", ".png", ...): every one but ".wmf" is read by
// Qt's image readers.
QStringList pictureTypes();

// Pictures and drawings have no text: the text search passes over them by name. The pictures are
// those the preview shows as pictures.
bool isPictureOrDrawingName(QStringView name);

// How the web view shows a file of the web class: told by the file's own extension, so that a
// folder or a name part that merely looks like one ("lieferung.avis.htm") does not count.
enum class WebMode {
    Page,  // the browser engine
    Mail,  // a mail message (".eml"), rendered from its parts
    Video, // ".mpg", ".mpeg", ".avi", played
};
WebMode webModeOf(QStringView path);

// Whether a page may load the address: what lies on this machine or in the page itself, never
// what lies on the network.
bool isLocalUrl(const QUrl& url);

} // namespace findolin
