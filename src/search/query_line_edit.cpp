#include "search/query_line_edit.h"

#include <QKeyEvent>

namespace findolin {

void QueryLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->text() == u" ") {
        insert(QStringLiteral("+"));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace findolin
