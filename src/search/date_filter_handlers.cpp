#include "search/date_filter_handlers.h"

#include "app/form1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace findolin {

void DateFilterHandlers::connectControls() {
    QObject::connect(f.mnuDatStd, &QAction::triggered, &f, [this] { mnuDatStd_Click(); });
    QObject::connect(f.mnuDatTag, &QAction::triggered, &f, [this] { mnuDatTag_Click(); });
    QObject::connect(f.mnuDatMon, &QAction::triggered, &f, [this] { mnuDatMon_Click(); });
    for (QLineEdit* amount : {f.TextStd, f.TextTag, f.TextMon})
        QObject::connect(amount, &QLineEdit::textChanged, &f, [this] { f.DatumsFilter = true; });
}

// The prompts leave a gap in the status line where the number field stands.
void DateFilterHandlers::mnuDatStd_Click() {
    arm(f.TextStd, QStringLiteral("  innerhalb              Stunden"));
}

void DateFilterHandlers::mnuDatTag_Click() {
    arm(f.TextTag, QStringLiteral("innerhalb              Tage   "));
}

void DateFilterHandlers::mnuDatMon_Click() {
    arm(f.TextMon, QStringLiteral("innerhalb               Monate"));
}

void DateFilterHandlers::arm(QLineEdit* field, const QString& prompt) {
    f.showStatus(prompt);
    for (QLineEdit* amount : {f.TextStd, f.TextTag, f.TextMon}) {
        amount->setText(amount == field ? QStringLiteral("3") : QStringLiteral("0"));
        amount->setVisible(amount == field);
    }
    f.CommandSort->hide();
    f.DatumsFilter = true;
    field->setFocus();
    field->selectAll(); // typing replaces the suggested 3
}

} // namespace findolin
