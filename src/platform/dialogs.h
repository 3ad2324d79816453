#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace findolin {

// The kinds of message box the program shows.
enum class MessageStyle {
    Ok,               // OK only, no icon: the failure messages
    YesNoInformation, // Yes and No, information icon, No the default: the questions
    OkCancelQuestion, // OK and Cancel, question icon, Cancel the default: replace a file?
};

enum class Answer { Ok, Cancel, Yes, No };

// Every question the program asks goes through here, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const QString& text, MessageStyle style = MessageStyle::Ok,
                           const QString& title = QStringLiteral("Findolin")) = 0;
    // A line of text asked for, with `proposal` filled in; nothing when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& proposal,
                                         const QString& title = QStringLiteral("Findolin")) = 0;
};

// The real message boxes, owned by the given window.
class WidgetDialogs : public Dialogs {
public:
    explicit WidgetDialogs(QWidget* owner) : owner_(owner) {}
    Answer message(const QString& text, MessageStyle style, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& proposal,
                                 const QString& title) override;

private:
    QWidget* owner_;
};

} // namespace findolin
