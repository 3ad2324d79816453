#include "app/text_fitting.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <functional>

namespace findolin {
namespace {

int tabStopDistance(const QFontMetrics& metrics) {
    return 8 * metrics.averageCharWidth();
}

// `font` at the largest size, in quarter points down from its own, whose metrics `fits` accepts.
QFont fitted(QFont font, const QWidget* widget,
             const std::function<bool(const QFontMetrics&)>& fits) {
    constexpr double kSmallest = 6;
    if (font.pointSizeF() <= 0)
        font.setPointSizeF(QFontInfo(font).pointSizeF());
    for (double size = font.pointSizeF(); size > kSmallest; size -= 0.25) {
        font.setPointSizeF(size);
        if (fits(QFontMetrics(font, widget)))
            return font;
    }
    font.setPointSizeF(kSmallest);
    return font;
}

} // namespace

std::pair<qsizetype, qsizetype> promptGap(const QString& prompt) {
    qsizetype at = 0;
    const auto skip = [&](bool blank) {
        while (at < prompt.size() && prompt[at].isSpace() == blank)
            ++at;
        return at;
    };
    skip(true);
    const qsizetype end = skip(false);
    return {end, skip(true)};
}

void fitHelpPanel(QPlainTextEdit& panel, const QStringList& lines, int width) {
    const int room = width - 2 * panel.frameWidth() -
                     2 * int(std::ceil(panel.document()->documentMargin())) - panel.cursorWidth() -
                     1;
    panel.setFont(fitted(panel.font(), &panel, [&](const QFontMetrics& metrics) {
        return std::all_of(lines.begin(), lines.end(), [&](const QString& line) {
            return metrics
                       .size(Qt::TextExpandTabs | Qt::TextSingleLine, line,
                             tabStopDistance(metrics))
                       .width() <= room;
        });
    }));
    panel.setTabStopDistance(tabStopDistance(panel.fontMetrics()));
}

void fitStatusLine(QLabel& status, const QList<QLineEdit*>& amounts, const QString& credit,
                   int width, int amountLeft) {
    const QLineEdit* amount = amounts.first();
    const int amountChrome =
        2 * amount->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, amount) + 4;
    const QStringList prompts{kHoursPrompt, kDaysPrompt, kMonthsPrompt};
    const QStringList texts = QStringList{credit, kNameQueryHint, kTextQueryHint} + prompts;
    status.setFont(fitted(status.font(), &status, [&](const QFontMetrics& metrics) {
        const int blank = metrics.horizontalAdvance(u' ');
        const int amountRight = amountLeft + amountChrome + metrics.horizontalAdvance(u'0');
        const auto fits = [&](const QString& text) {
            return metrics.horizontalAdvance(text) <= width;
        };
        const auto leavesRoomForTheField = [&](const QString& prompt) {
            const auto [end, next] = promptGap(prompt);
            return metrics.horizontalAdvance(prompt.left(end)) + blank <= amountLeft &&
                   metrics.horizontalAdvance(prompt.left(next)) - blank / 2 >= amountRight;
        };
        return std::all_of(texts.begin(), texts.end(), fits) &&
               std::all_of(prompts.begin(), prompts.end(), leavesRoomForTheField);
    }));
    for (QLineEdit* each : amounts)
        each->setFont(status.font());
}

} // namespace findolin
