#pragma once

#include <QStringView>

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

} // namespace findolin
