#pragma once

#include <QByteArrayView>
#include <QString>

namespace findolin {

// A stored mail message (.eml) as the preview shows it, as one HTML page: a small table of its
// From, To, Cc, Date and Subject headers (encoded words such as "=?utf-8?Q?...?=" decoded), then
// its body. Of a multipart message the HTML part is shown, else the plain-text part (escaped, its
// line breaks kept); nested multiparts are followed; quoted-printable and base64 are decoded, and
// each part's charset is honoured (UTF-8, ISO-8859-1/-15, Windows-1252, US-ASCII; unknown ones
// read as Windows-1252). Attachments are listed by their file names below the body. Anything
// broken is shown as far as it can be read; a file that is no mail at all comes out as text.
QString mailAsHtml(QByteArrayView message);

} // namespace findolin
