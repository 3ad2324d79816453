#pragma once

#include <QString>
#include <QStringList>
#include <utility>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace findolin {

// The texts the status line shows besides the credit, in one place for the handlers that show
// them and for the sizing of the line's font.
inline const QString kNameQueryHint = QStringLiteral("Dateisuche: +und #oder -nicht");
inline const QString kTextQueryHint = QStringLiteral("Textsuche: +und #oder -nicht");
inline const QString kHoursPrompt = QStringLiteral("  innerhalb              Stunden");
inline const QString kDaysPrompt = QStringLiteral("innerhalb              Tage   ");
inline const QString kMonthsPrompt = QStringLiteral("innerhalb               Monate");

// Where a date prompt's gap for its number field lies: the end of its first word and the start
// of the word after.
std::pair<qsizetype, qsizetype> promptGap(const QString& prompt);

// The window's geometry was drawn for a smaller system font than today's: the texts are made to
// fit the controls rather than the controls the texts. Each takes the largest size, in quarter
// points down from the control's own font, at which its texts fit.

// The help panel, `width` pixels wide: its widest line fits without sideways scrolling, with tab
// stops every eight average characters.
void fitHelpPanel(QPlainTextEdit& panel, const QStringList& lines, int width);

// The status line, `width` pixels wide, and the date filter's number fields, which stand
// `amountLeft` pixels from its left inside the prompts' gaps: every text fits the line, the first
// word of a prompt ends before the field, and the field holds a digit before the next word.
void fitStatusLine(QLabel& status, const QList<QLineEdit*>& amounts, const QString& credit,
                   int width, int amountLeft);

} // namespace findolin
