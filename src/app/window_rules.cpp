#include "app/window_rules.h"

#include <cmath>

namespace findolin {

int twipsToPixels(double twips, double twipsPerPixel) {
    return int(std::lround(twips / twipsPerPixel));
}

double pixelsToTwips(int pixels, double twipsPerPixel) {
    return pixels * twipsPerPixel;
}

std::optional<TwipsRect> narrowScreenPlacement(double screenWidthTwips) {
    if (screenWidthTwips >= 20000)
        return std::nullopt;
    return TwipsRect{120, 120, 11500, 8205};
}

QString invoicePattern(QDate today) {
    return QStringLiteral("a01*.*;*.") + today.toString(u"MM") +
           QString::number(today.year() - 2000) + u'*';
}

} // namespace findolin
