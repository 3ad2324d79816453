#include "search/list_order.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

namespace findolin {
namespace {

// The user's locale; under the bare "C" locale Qt's collator orders by code point and its sort
// keys even ignore the case setting, so that locale falls back to the program's own language.
QLocale collationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::German, QLocale::Germany) : locale;
}

} // namespace

ListBoxOrder::ListBoxOrder() : collator_(collationLocale()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    collator_.setNumericMode(false);
    collator_.setIgnorePunctuation(false);
}

std::vector<qsizetype> ListBoxOrder::order(const QStringList& lines) const {
    std::vector<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    if (lines.size() < 2)
        return order;
    // Sort keys: one collation pass per line instead of one per comparison.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QString& line : lines)
        keys.push_back(collator_.sortKey(line));
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

void ListBoxOrder::sort(QStringList& lines) const {
    if (lines.size() < 2)
        return;
    const std::vector<qsizetype> order = this->order(lines);
    QStringList sorted;
    sorted.reserve(lines.size());
    for (qsizetype i : order)
        sorted.append(std::move(lines[i]));
    lines = std::move(sorted);
}

QStringList ListBoxOrder::merge(const QStringList& first, const QStringList& second,
                                std::vector<bool>* fromFirst) const {
    QStringList merged;
    merged.reserve(first.size() + second.size());
    qsizetype a = 0, b = 0;
    while (a < first.size() || b < second.size()) {
        const bool takeFirst =
            b == second.size() || (a < first.size() && collator_.compare(second[b], first[a]) >= 0);
        merged.append(takeFirst ? first[a++] : second[b++]);
        if (fromFirst)
            fromFirst->push_back(takeFirst);
    }
    return merged;
}

} // namespace findolin
