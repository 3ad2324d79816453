#pragma once

#include <QDate>
#include <QString>
#include <optional>

class QCoreApplication;

namespace findolin {

// Sizes in the window's rules are in twips, 1/1440 inch; the widgets take pixels.
inline constexpr double kTwipsPerInch = 1440.0;

inline double twipsPerPixel(double logicalDpi) {
    return kTwipsPerInch / logicalDpi;
}
int twipsToPixels(double twips, double twipsPerPixel);
double pixelsToTwips(int pixels, double twipsPerPixel);

struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The window's design place and client size.
inline constexpr TwipsRect kDesignWindow{456, 180, 12192, 8436};

// Where the window starts on a machine without the company folder: a narrow screen (below
// 20000 twips) gets a smaller window near its corner, a wider one keeps the design place.
std::optional<TwipsRect> narrowScreenPlacement(double screenWidthTwips);

// The pattern of this month's invoices in the invoice folder: "a01" names, and names whose
// extension begins with the month and the short year. December 2026: "a01*.*;*.1226*".
QString invoicePattern(QDate today);

// Qt's own texts (the buttons of message and input boxes, the edit menus) in German like the rest
// of the window; false when Qt's translations are not installed.
bool loadGermanQtTexts(QCoreApplication& app);

} // namespace findolin
