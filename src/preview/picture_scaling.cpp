#include "preview/picture_scaling.h"

namespace findolin {

std::optional<QSizeF> fullScreenPictureSize(QSizeF picture, QSizeF screen, Zoom zoom) {
    const bool larger = picture.width() > screen.width() || picture.height() > screen.height();
    if (!larger && zoom == Zoom::Off)
        return std::nullopt;
    // Compared in single precision, so that a 4:3 picture counts as exactly 4:3.
    const float ratio = float(picture.width() / picture.height());
    const float fourToThree = float(4.0 / 3.0);
    if (fourToThree > ratio) {
        const double height = screen.height() * 0.92;
        return QSizeF(picture.width() / picture.height() * height, height);
    }
    return QSizeF(screen.width(), picture.height() / picture.width() * screen.width());
}

QRectF normalPictureArea(double windowWidth, double listWidth, double listHeight) {
    return QRectF(listWidth + 30, 0, windowWidth - listWidth - 130, listHeight);
}

} // namespace findolin
