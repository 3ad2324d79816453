#pragma once

#include <QRectF>
#include <QSizeF>
#include <optional>

namespace findolin {

// Whether the full-screen view scales every picture to the screen, or only those larger than it.
enum class Zoom { Off, On };

// The size of the scaled picture in the full-screen view, or nothing when the picture is shown at
// its natural size. A picture narrower than 4:3 takes 92% of the screen's height (so its lower
// edge stays clear of the taskbar); a wider one the screen's full width. Any unit will do, as long
// as picture and screen share it; the picture must not be empty.
std::optional<QSizeF> fullScreenPictureSize(QSizeF picture, QSizeF screen, Zoom zoom);

// The picture area beside the lists in normal mode: right of the lists, as high as they are.
QRectF normalPictureArea(double windowWidth, double listWidth, double listHeight);

} // namespace findolin
