#pragma once

#include <QStringList>

namespace findolin {

// The help panel's text, line by line, blanks and tabs as they stand.
QStringList helpTextLines();

} // namespace findolin
