#pragma once

#include "app/form1.h"
#include "search/query_line_edit.h"
#include "testdir.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

// A temporary tree whose folder "home" is the user's home while the test runs, so that every
// site folder of the window (documents, company and invoice folders) lies inside it.
class TestHome : public TestDir {
public:
    TestHome() : oldHome_(qgetenv("HOME")) {
        folder("home");
        qputenv("HOME", QFile::encodeName(path("home")));
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~TestHome() { qputenv("HOME", oldHome_); }

    QString home(const QString& relative = {}) const {
        return relative.isEmpty() ? path("home") : path("home/" + relative);
    }

private:
    QByteArray oldHome_;
};

// A main window on the current HOME, shown, so that it has started up.
inline std::unique_ptr<findolin::Form1> startForm1(findolin::Dialogs* dialogs = nullptr) {
    auto form = std::make_unique<findolin::Form1>(dialogs);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        qWarning("the window was not exposed");
    return form;
}

// Types the folder, the name query and the text query, and presses "* Suche".
inline void searchFor(findolin::Form1& form, const QString& folder, const QString& names,
                      const QString& text = {}) {
    form.Text2->setText(folder);
    form.Text1->setText(names);
    form.Text4->setText(text);
    form.Command1->click();
}
