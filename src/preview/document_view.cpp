#include "preview/document_view.h"

#include "preview/document_converter.h"

#include <QEvent>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfView>
#include <QStackedLayout>

namespace findolin {

DocumentView::DocumentView(DocumentConverter& converter, QWidget* parent)
    : QWidget(parent), converter_(converter), stack_(new QStackedLayout(this)), view_(new QPdfView),
      pdf_(new QPdfDocument(this)), note_(new QLabel) {
    stack_->setContentsMargins(0, 0, 0, 0);
    view_->setDocument(pdf_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->viewport()->installEventFilter(this);
    note_->setAlignment(Qt::AlignCenter);
    note_->setWordWrap(true);
    note_->installEventFilter(this);
    stack_->addWidget(view_);
    stack_->addWidget(note_);
    applySizeMode();
    connect(&converter_, &DocumentConverter::converted, this, &DocumentView::converted);
}

DocumentView::~DocumentView() = default;

void DocumentView::showDocument(const QString& path) {
    wanted_ = path;
    shown_.clear();
    pdf_->close();
    if (!converter_.available()) {
        showNote(tr("Keine Vorschau: kein Office-Programm installiert."));
        return;
    }
    if (const auto pdf = converter_.pdfFor(path)) {
        converted(path, *pdf);
        return;
    }
    showNote(tr("Die Vorschau wird vorbereitet …"));
}

void DocumentView::converted(const QString& document, const QString& pdf) {
    if (document != wanted_)
        return; // the user has moved on
    if (pdf.isEmpty() || pdf_->load(pdf) != QPdfDocument::Error::None) {
        showNote(tr("Für diese Datei gibt es keine Vorschau."));
        return;
    }
    shown_ = document;
    stack_->setCurrentWidget(view_);
}

void DocumentView::showNote(const QString& note) {
    note_->setText(note);
    stack_->setCurrentWidget(note_);
}

void DocumentView::ole1_click() {
    sizeMode_ = sizeMode_ == SizeMode::Clip ? SizeMode::Zoom : SizeMode::Clip;
    applySizeMode();
}

void DocumentView::applySizeMode() {
    if (sizeMode_ == SizeMode::Zoom) {
        view_->setZoomMode(QPdfView::ZoomMode::FitInView);
    } else {
        view_->setZoomMode(QPdfView::ZoomMode::Custom);
        view_->setZoomFactor(1.0);
    }
}

bool DocumentView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == view_->viewport() || watched == note_))
        ole1_click();
    return QWidget::eventFilter(watched, event);
}

} // namespace findolin
