#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

namespace findolin {

class Form1;

// The character code a key press types, as the window's key handler sees it: 27 for Escape,
// 13 for Enter, 8 for Backspace, the character for any other key that types one (control
// characters such as Ctrl+V's 22 included); nothing for keys that type nothing (arrows, Shift,
// function keys).
std::optional<int> keyAsciiOf(int key, const QString& text);

// Shows the window's key handler every key typed anywhere in the window before the focused
// control gets it; the control still gets it afterwards.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    explicit KeyPreview(Form1& form) : form_(form) {}
    ~KeyPreview() override;

    void enable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1& form_;
    bool enabled_ = false;
    // The last key press seen, and the control that had it first.
    struct SeenKey {
        const QEvent* event = nullptr;
        quint64 timestamp = 0;
        QPointer<QWidget> receiver;
    };
    SeenKey lastKey_;
};

} // namespace findolin
