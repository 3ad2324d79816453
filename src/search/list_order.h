#pragma once

#include <QCollator>
#include <QStringList>
#include <vector>

namespace findolin {

// The order of the window's sorted lists: case-insensitive, by the user's locale, digits and
// letters after a leading blank (so " [folder]" entries come before file names). Sorting is
// stable. Keep one instance for many sorts: setting up the collation costs more than a short sort.
class ListBoxOrder {
public:
    ListBoxOrder();

    void sort(QStringList& lines) const;
    // The sorted order of the lines, as indexes into them.
    std::vector<qsizetype> order(const QStringList& lines) const;
    // Merges two lists that are each in this order into one in this order; on equal lines the
    // first list's comes first. `fromFirst`, when given, tells for each merged line whether it
    // came from the first list.
    QStringList merge(const QStringList& first, const QStringList& second,
                      std::vector<bool>* fromFirst = nullptr) const;

private:
    QCollator collator_;
};

inline void sortLikeListBox(QStringList& lines) {
    ListBoxOrder().sort(lines);
}

} // namespace findolin
