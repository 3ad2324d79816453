#include "app/window_rules.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
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

bool loadGermanQtTexts(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace findolin
