#include "app/key_preview.h"

#include "app/form1.h"
#include "preview/picture_viewer.h"
#include "search/name_search.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace findolin {

std::optional<int> keyAsciiOf(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Escape:
        return kEscapeKey;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnterKey;
    case Qt::Key_Backspace:
        return 8;
    default:
        // Control characters count too: Ctrl+V types 22, and pasting uncovers the text query.
        if (text.isEmpty())
            return std::nullopt;
        return text[0].unicode();
    }
}

KeyPreview::~KeyPreview() {
    if (enabled_)
        qApp->removeEventFilter(this);
}

void KeyPreview::enable() {
    if (!enabled_)
        qApp->installEventFilter(this);
    enabled_ = true;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &form_)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // A key press that the control leaves alone travels on to its parents: see it once, first.
    const SeenKey seen{key, key->timestamp(), widget};
    if (key == lastKey_.event && key->timestamp() == lastKey_.timestamp && lastKey_.receiver &&
        widget != lastKey_.receiver && widget->isAncestorOf(lastKey_.receiver))
        return false;
    lastKey_ = seen;
    if (const auto keyAscii = keyAsciiOf(key->key(), key->text()))
        form_.Form_KeyPress(*keyAscii);
    return false;
}

// What the window does with a key, wherever the focus is: Enter searches (or leaves the full
// screen), Escape stops the search and clears the status.
void Form1::Form_KeyPress(int keyAscii) {
    if (keyAscii == kEscapeKey) {
        Abbruch = true;
        mnuDateiZähler->setText({});
        mnuName->setText({});
        showCredit();
        TextHilfe->hide();
        DatumsFilter = false;
        hideDateAmounts();
        if (VollbildModus)
            pictures().Bilder(PictureView::Normal);
        stopSearch();
        return;
    }
    Text5->hide(); // uncovers the text query
    if (keyAscii == kEnterKey) {
        if (VollbildModus)
            close();
        else
            nameSearch_->Command1_Click();
    }
}

} // namespace findolin
