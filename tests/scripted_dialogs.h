#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>

// Answers the window's message and input boxes in tests, in the order queued, and remembers what
// they said. Unqueued questions are refused (No, Cancel), unqueued inputs cancelled.
class ScriptedDialogs : public findolin::Dialogs {
public:
    findolin::Answer message(const QString& text, findolin::MessageStyle style,
                             const QString& title) override {
        messages << text;
        titles << title;
        styles << style;
        if (style == findolin::MessageStyle::Ok)
            return findolin::Answer::Ok;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return style == findolin::MessageStyle::OkCancelQuestion ? findolin::Answer::Cancel
                                                                 : findolin::Answer::No;
    }

    std::optional<QString> input(const QString& prompt, const QString& proposal,
                                 const QString&) override {
        prompts << prompt;
        proposals << proposal;
        return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
    }

    QList<findolin::Answer> answers;
    QList<std::optional<QString>> inputs;
    QStringList messages;
    QStringList titles;
    QList<findolin::MessageStyle> styles;
    QStringList prompts;
    QStringList proposals;
};
