#include "app/key_preview.h"

#include "app/form1.h"

#include <QApplication>
#include <QKeyEvent>

namespace findolin {

std::optional<int> keyAsciiOf(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    default:
        if (text.isEmpty() || !text[0].isPrint())
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
    const bool travelsUp = key == lastKey_ && key->timestamp() == lastTimestamp_ && lastReceiver_ &&
                           widget->isAncestorOf(lastReceiver_);
    lastKey_ = key;
    lastTimestamp_ = key->timestamp();
    lastReceiver_ = widget;
    if (travelsUp)
        return false;
    if (const auto keyAscii = keyAsciiOf(key->key(), key->text()))
        form_.Form_KeyPress(*keyAscii);
    return false;
}

} // namespace findolin
