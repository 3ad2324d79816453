#pragma once

#include <QPixmap>
#include <QString>

namespace findolin {

// A picture file at its natural size: BMP, ICO, JPEG, GIF, PNG, TIFF, WebP and the rest through
// Qt's image readers, and Windows metafiles (WMF) drawn by libwmf's converter. A file that cannot
// be read gives an empty picture.
QPixmap loadPicture(const QString& path);

} // namespace findolin
