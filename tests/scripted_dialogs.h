#pragma once

#include "platform/dialogs.h"

#include <QStringList>

// Answers the window's message boxes in tests and remembers what they said.
class ScriptedDialogs : public findolin::Dialogs {
public:
    findolin::Answer message(const QString& text, findolin::MessageStyle,
                             const QString& title) override {
        messages << text;
        titles << title;
        return findolin::Answer::Ok;
    }

    QStringList messages;
    QStringList titles;
};
