#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>

// Answers the window's message and input boxes in tests, in the order queued, and remembers what
// they said and which names they proposed. Unqueued questions are refused (No, Cancel), unqueued
// inputs cancelled.
class ScriptedDialogs : public findolin::Dialogs {
public:
    findolin::Answer message(const QString& text, findolin::MessageStyle style,
                             const QString&) override {
        messages << text;
        if (style == findolin::MessageStyle::Ok)
            return findolin::Answer::Ok;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return style == findolin::MessageStyle::OkCancelQuestion ? findolin::Answer::Cancel
                                                                 : findolin::Answer::No;
    }

    std::optional<QString> input(const QString&, const QString& proposal, const QString&) override {
        proposals << proposal;
        return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
    }

    QList<findolin::Answer> answers;
    QList<std::optional<QString>> inputs;
    QStringList messages;
    QStringList proposals;
};
