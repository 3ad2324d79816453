#pragma once

#include <QStringList>

namespace findolin {

// The order of the window's sorted lists: case-insensitive, by the user's locale, digits and
// letters after a leading blank (so " [folder]" entries come before file names). Stable.
void sortLikeListBox(QStringList& lines);

// Merges two lists that are each in list-box order into one in that order.
QStringList mergeLikeListBox(const QStringList& first, const QStringList& second);

} // namespace findolin
