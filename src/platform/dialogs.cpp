#include "platform/dialogs.h"

#include <QInputDialog>
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
    case MessageStyle::YesNoInformation:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case MessageStyle::OkCancelQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel); // a file is never replaced by a stray Enter
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Ok:
        return Answer::Ok;
    }
    // Closed some other way: the answer that changes nothing.
    switch (style) {
    case MessageStyle::Ok:
        return Answer::Ok;
    case MessageStyle::YesNoInformation:
        return Answer::No;
    case MessageStyle::OkCancelQuestion:
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

std::optional<QString> WidgetDialogs::input(const QString& prompt, const QString& proposal,
                                            const QString& title) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner_, title, prompt, QLineEdit::Normal, proposal, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace findolin
