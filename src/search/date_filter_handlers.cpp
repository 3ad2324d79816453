#include "search/date_filter_handlers.h"

#include "app/form1.h"
#include "app/text_fitting.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace findolin {
namespace {

// The number field reaches from its place in the prompt's gap to half a blank before the word
// after the gap, so that both words of the prompt stay in sight.
void fillGap(const QLabel& status, QLineEdit* field) {
    const QString prompt = status.text();
    const qsizetype afterGap = promptGap(prompt).second;
    const QFontMetrics metrics = status.fontMetrics();
    const int right = status.x() + status.contentsRect().left() +
                      metrics.horizontalAdvance(prompt.left(afterGap)) -
                      metrics.horizontalAdvance(u' ') / 2;
    field->resize(std::max(right - field->x(), 0), field->height());
}

} // namespace

void DateFilterHandlers::connectControls() {
    QObject::connect(f.mnuDatStd, &QAction::triggered, &f, [this] { mnuDatStd_Click(); });
    QObject::connect(f.mnuDatTag, &QAction::triggered, &f, [this] { mnuDatTag_Click(); });
    QObject::connect(f.mnuDatMon, &QAction::triggered, &f, [this] { mnuDatMon_Click(); });
    for (QLineEdit* amount : {f.TextStd, f.TextTag, f.TextMon})
        QObject::connect(amount, &QLineEdit::textChanged, &f, [this] { f.DatumsFilter = true; });
}

// The prompts leave a gap in the status line where the number field stands.
void DateFilterHandlers::mnuDatStd_Click() {
    arm(f.TextStd, kHoursPrompt);
}

void DateFilterHandlers::mnuDatTag_Click() {
    arm(f.TextTag, kDaysPrompt);
}

void DateFilterHandlers::mnuDatMon_Click() {
    arm(f.TextMon, kMonthsPrompt);
}

void DateFilterHandlers::arm(QLineEdit* field, const QString& prompt) {
    f.showStatus(prompt);
    fillGap(*f.Label3, field);
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
