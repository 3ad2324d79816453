#include "app/form1.h"
#include "app/key_preview.h"
#include "app/window_rules.h"
#include "preview/picture_viewer.h"
#include "preview/word_processor.h"
#include "search/file_list_box.h"
#include "search/folder_listing.h"
#include "search/folder_listing_handlers.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace findolin {
namespace {

double screenTwipsPerPixel(const QWidget& window) {
    const QScreen* screen = window.screen();
    return twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96.0);
}

} // namespace

void Form1::placeAtStart() {
    const double tpp = screenTwipsPerPixel(*this);
    placeFrameAt({twipsToPixels(kDesignWindow.left, tpp), twipsToPixels(kDesignWindow.top, tpp)});
    resize(twipsToPixels(kDesignWindow.width, tpp),
           twipsToPixels(kDesignWindow.height, tpp) + menuBar()->sizeHint().height());
}

// The place of a window is where its title bar begins. Before the window is framed, a move
// places the inside of the window there, which pushes the title bar off the top of the screen; so
// the place is taken again once the frame is known (see paintEvent).
void Form1::placeFrameAt(QPoint corner) {
    move(corner);
    frameCorner_ = corner;
}

// Start-up: tells the office's own machines (the company folder holds a file) from any other
// and offers the folders and the role of Command3 that fit. Nothing here reports a failure.
void Form1::Form_Load() {
    keyPreview_->enable();
    const bool companyMachine = folderHoldsFile(sites_.company);
    if (!companyMachine) {
        offersDateSort = false;
        for (QAction* shortcut : {mnuFaxeÖffnen, mnuRechÖffnen, mnuRechNetzÖffnen, mnuRechFAÖffnen,
                                  rech23Öffnen, SoftwareÖffnen})
            shortcut->setVisible(false);
        Command3->setText(QStringLiteral("STOP"));
        mnuEigeneDateien_Click(); // its listing counts the files
        const double tpp = screenTwipsPerPixel(*this);
        if (const auto place = narrowScreenPlacement(screen()->geometry().width() * tpp)) {
            placeFrameAt({twipsToPixels(place->left, tpp), twipsToPixels(place->top, tpp)});
            resize(twipsToPixels(place->width, tpp), twipsToPixels(place->height, tpp));
        }
    } else {
        mnuFaxeÖffnen->setVisible(false);
        rech23Öffnen->setVisible(false);
        // The folder field keeps its start text; the file list shows this month's invoices.
        listing_->listFileList(sites_.invoices, invoicePattern(QDate::currentDate()),
                               [this] { countFiles(); });
    }
}

void Form1::countFiles() {
    if (File1->count() > 1)
        mnuDateiZähler->setText(countCaption(File1->count()));
}

// Whatever closes the window: a search still running stops at its next step.
void Form1::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    AktuellerOrdner.clear();
    Abbruch = true;
    engine_->cancelAll();
    if (WordApp)
        WordApp->markNormalTemplateSaved();
}

} // namespace findolin
