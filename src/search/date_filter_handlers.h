#pragma once

class QLineEdit;
class QString;

namespace findolin {

class Form1;

// The date filter's menu items and number fields: choosing an item or editing a field arms the
// filter for the next search, which disarms it again.
class DateFilterHandlers {
public:
    explicit DateFilterHandlers(Form1& form) : f(form) {}

    void connectControls();

    void mnuDatStd_Click();
    void mnuDatTag_Click();
    void mnuDatMon_Click();

private:
    void arm(QLineEdit* field, const QString& prompt);

    Form1& f;
};

} // namespace findolin
