#include "search/list_order.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

namespace findolin {
namespace {

QCollator listBoxCollator() {
    // The user's locale; under the bare "C" locale Qt's collator orders by code point and its
    // sort keys even ignore case, so that locale falls back to the language of the program.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::German, QLocale::Germany);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

} // namespace

void sortLikeListBox(QStringList& lines) {
    if (lines.size() < 2)
        return;
    // Sort keys: one collation pass per line instead of one per comparison.
    const QCollator collator = listBoxCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QString& line : std::as_const(lines))
        keys.push_back(collator.sortKey(line));
    std::vector<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    QStringList sorted;
    sorted.reserve(lines.size());
    for (qsizetype i : order)
        sorted.append(std::move(lines[i]));
    lines = std::move(sorted);
}

QStringList mergeLikeListBox(const QStringList& first, const QStringList& second) {
    const QCollator collator = listBoxCollator();
    QStringList merged;
    merged.reserve(first.size() + second.size());
    std::merge(first.cbegin(), first.cend(), second.cbegin(), second.cend(),
               std::back_inserter(merged),
               [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return merged;
}

} // namespace findolin
