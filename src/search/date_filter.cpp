#include "search/date_filter.h"

#include <QLocale>
#include <cmath>

namespace findolin {
namespace {

constexpr qint64 kMsPerHour = 3600 * 1000;
constexpr qint64 kMsPerDay = 24 * kMsPerHour;
constexpr double kDaysPerMonthFraction = 30;

} // namespace

double amountFromText(const QString& text) {
    bool ok = false;
    const double local = QLocale().toDouble(text.trimmed(), &ok);
    if (ok)
        return local;
    const double dotted = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? dotted : 0;
}

QDateTime dateLimit(const QDateTime& now, const DateAmounts& amounts) {
    const double wholeMonths = std::trunc(amounts.months);
    const double wholeDays = std::trunc(amounts.days);
    QDateTime limit = now.addMonths(-int(wholeMonths));
    const double monthFraction = amounts.months - wholeMonths;
    limit = limit.addMSecs(-std::llround(monthFraction * kDaysPerMonthFraction * kMsPerDay));
    limit = limit.addDays(-qint64(wholeDays));
    limit = limit.addMSecs(-std::llround((amounts.days - wholeDays) * kMsPerDay));
    return limit.addMSecs(-std::llround(amounts.hours * kMsPerHour));
}

} // namespace findolin
