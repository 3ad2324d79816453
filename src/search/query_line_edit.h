#pragma once

#include <QLineEdit>

namespace findolin {

// A query field: the space bar types "+" (AND), so "Brief an" typed is "Brief+an".
// A pasted blank stays a blank, an ordinary character of its term.
class QueryLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace findolin
