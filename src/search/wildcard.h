#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace findolin {

// A file-name pattern as the folder file list understands it: alternatives separated by ";",
// "*" for any run of characters (also none), "?" for exactly one character, letters compared
// without regard to case (umlauts included). An alternative ending in ".*" also matches a name
// without a dot, so "*.*" lists every file, as users of the old file dialogs expect.
class WildcardPattern {
public:
    explicit WildcardPattern(QStringView pattern);

    bool matches(QStringView name) const;
    // The same for a name already case-folded (QString::toCaseFolded), to fold it once for many
    // patterns.
    bool matchesFolded(QStringView foldedName) const;

    // True when every name matches, so callers can skip the test.
    bool matchesEverything() const { return matchesEverything_; }

private:
    std::vector<QString> alternatives_; // case-folded
    bool matchesEverything_ = false;
};

} // namespace findolin
