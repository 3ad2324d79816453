#pragma once

#include <QWidget>

class QLabel;
class QPdfDocument;
class QPdfView;
class QStackedLayout;

namespace findolin {

class DocumentConverter;

// The document view: an office document turned into PDF by the office suite, in the background,
// and shown page by page. Until the PDF is there, and when there is none, the view says so in a
// line of its own and shows nothing of the document before.
class DocumentView : public QWidget {
    Q_OBJECT
public:
    // How the pages are drawn: at their own size, cut off at the edges, or each whole page
    // fitted into the view. The mode stays for the next document.
    enum class SizeMode { Clip = 0, Zoom = 3 };

    DocumentView(DocumentConverter& converter, QWidget* parent = nullptr);
    ~DocumentView() override;

    void showDocument(const QString& path);
    void ole1_click();
    SizeMode sizeMode() const { return sizeMode_; }
    // The document whose pages are shown now, or empty.
    QString shownDocument() const { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void converted(const QString& document, const QString& pdf);
    void showNote(const QString& note);
    void applySizeMode();

    DocumentConverter& converter_;
    QStackedLayout* stack_;
    QPdfView* view_;
    QPdfDocument* pdf_;
    QLabel* note_;
    QString wanted_; // the document asked for last
    QString shown_;
    SizeMode sizeMode_ = SizeMode::Zoom;
};

} // namespace findolin
