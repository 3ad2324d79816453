#include "platform/dialogs.h"

#include <QMessageBox>

namespace findolin {

Answer WidgetDialogs::message(const QString& text, MessageStyle style, const QString& title) {
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    box.setText(text);
    switch (style) {
    case MessageStyle::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    box.exec();
    return Answer::Ok;
}

} // namespace findolin
