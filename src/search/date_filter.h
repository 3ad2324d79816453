#pragma once

#include <QDateTime>
#include <QString>

namespace findolin {

// How far back the date filter reaches.
struct DateAmounts {
    double months = 0;
    double days = 0;
    double hours = 0;
};

// A count as typed into a number field: in the user's locale, or with a decimal dot; anything
// that is not a number counts as 0.
double amountFromText(const QString& text);

// The moment a file must have been changed after to pass: `now` less the months (calendar months;
// a day beyond the target month's end becomes its last day), then the days (calendar days, so the
// clock time stays across a change to or from summer time), then the hours. A fraction of a day
// or an hour counts as that part of it, a fraction of a month as that part of 30 days. Negative
// counts put the limit in the future.
QDateTime dateLimit(const QDateTime& now, const DateAmounts& amounts);

// A file passes when it was changed later than the limit; at the limit itself it fails.
inline bool changedAfter(const QDateTime& modified, const QDateTime& limit) {
    return modified > limit;
}

} // namespace findolin
