#include "preview/picture_viewer.h"

#include "app/form1.h"
#include "app/window_rules.h"
#include "preview/picture_loading.h"
#include "preview/picture_scaling.h"
#include "search/file_list_box.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace findolin {
namespace {

void setBackground(QLabel* area, Qt::GlobalColor color) {
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, color);
    area->setPalette(palette);
}

} // namespace

void PictureViewer::load(const QString& path) {
    f.Picture2 = loadPicture(path);
}

void PictureViewer::Bilder(PictureView Vollbild) {
    f.setSortButtonRole(SortButtonRole::FullScreen);
    f.CommandSort->show();
    if (Vollbild == PictureView::Normal)
        showNormal();
    else
        showFullScreen();
    f.Picture1->raise();
    focusVisibleList();
}

void PictureViewer::showNormal() {
    f.VollbildModus = false;
    setBackground(f.Picture1, Qt::white);
    // The window first, so that the list has its normal height again when the picture area
    // takes it: measured in the full screen, the area reached over the bottom row.
    if (f.isFullScreen())
        f.showNormal();
    if (!f.isMaximized() && f.FensterVorVollbild.height() > 0)
        f.setGeometry(f.FensterVorVollbild);
    placeBesideList();
    f.mnuOrdner->setVisible(true);
    f.mnuDateiZähler->setVisible(true);
    f.mnuHelp->setText(QStringLiteral("?"));
    f.ZoomModus = false;
    f.Picture1->setPixmap(f.Picture2);
    f.Picture1->show();
    f.Image1->clear();
    f.Image1->hide();
}

void PictureViewer::placeBesideList() {
    const double tpp = twipsPerPixel(f.screen()->logicalDotsPerInchX());
    const auto twips = [tpp](int pixels) { return pixelsToTwips(pixels, tpp); };
    const QRectF area = normalPictureArea(twips(f.centralWidget()->width()),
                                          twips(f.File1->width()), twips(f.File1->height()));
    f.Picture1->setGeometry(twipsToPixels(area.left(), tpp), twipsToPixels(area.top(), tpp),
                            twipsToPixels(area.width(), tpp), twipsToPixels(area.height(), tpp));
}

void PictureViewer::showFullScreen() {
    const QRect screen = f.screen()->geometry();
    // Already full screen, the picture is as high as the screen: keep the rectangle saved before.
    if (f.Picture1->height() < screen.height() && !f.isMaximized())
        f.FensterVorVollbild = f.geometry();
    const auto scaled = f.Picture2.isNull()
                            ? std::nullopt
                            : fullScreenPictureSize(f.Picture2.size(), screen.size(),
                                                    f.ZoomModus ? Zoom::On : Zoom::Off);
    if (scaled) {
        f.Picture1->clear();
        f.Image1->setPixmap(f.Picture2);
        f.Image1->setGeometry(QRect(QPoint(0, 0), scaled->toSize()));
        f.Image1->show();
    } else {
        f.Image1->hide();
        f.Picture1->setPixmap(f.Picture2);
    }
    setBackground(f.Picture1, Qt::black);
    f.Picture1->setGeometry(QRect(QPoint(0, 0), screen.size()));
    // The window covers the screen with its title bar out of sight; the menu bar stays, with
    // "Zoom" on it. A window manager frames the window and answers the request in its own time
    // (stretching the window as well would undo it); a window without a frame has nobody to
    // answer and is stretched by hand.
    if (!f.isMaximized() && !f.isFullScreen()) {
        const bool managed = f.frameGeometry() != f.geometry();
        f.showFullScreen();
        if (!managed && f.geometry() != screen)
            f.setGeometry(screen);
    }
    f.mnuOrdner->setVisible(false);
    f.mnuDateiZähler->setVisible(false);
    f.mnuHelp->setText(QStringLiteral("Zoom"));
}

// The list under the picture keeps the keys, so the arrows go on from picture to picture.
void PictureViewer::focusVisibleList() {
    f.shownList()->setFocus();
}

void PictureViewer::Picture1_Click() {
    if (f.TextHilfe->isVisible()) {
        f.TextHilfe->hide(); // the click only puts the help away
        return;
    }
    // The mode shows in where the picture area stands: only the full screen puts it at the left.
    if (f.Picture1->x() == 0) {
        f.VollbildModus = false;
        Bilder(PictureView::Normal);
    } else {
        f.VollbildModus = true;
        Bilder(PictureView::FullScreen);
    }
}

} // namespace findolin
