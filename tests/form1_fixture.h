#pragma once

#include "app/form1.h"
#include "search/query_line_edit.h"
#include "testdir.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

// A temporary tree whose folder "home" is the user's home while the test runs, so that every
// site folder of the window (documents, company and invoice folders) lies inside it.
class TestHome : public TestDir {
public:
    explicit TestHome(const Tree& tree = {}) : TestDir(tree), oldHome_(qgetenv("HOME")) {
        folder("home");
        qputenv("HOME", QFile::encodeName(path("home")));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME"); // a deleted file goes to the Trash in this home
    }
    ~TestHome() { qputenv("HOME", oldHome_); }

    QString home(const QString& relative = {}) const {
        return relative.isEmpty() ? path("home") : path("home/" + relative);
    }

private:
    QByteArray oldHome_;
};

// Waits until the window's workers have delivered everything: listings and searches run off
// the window's thread.
inline void settle(findolin::Form1& form) {
    QVERIFY2(QTest::qWaitFor([&] { return !form.engine().busy(); }, 20000),
             "the window's work did not end");
}

// A main window on the current HOME, shown, so that it has started up.
inline std::unique_ptr<findolin::Form1> startForm1(findolin::Surroundings surroundings = {}) {
    auto form = std::make_unique<findolin::Form1>(std::move(surroundings));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        qWarning("the window was not exposed");
    settle(*form);
    return form;
}

// Types the folder, the name query and the text query, and presses "* Suche".
inline void searchFor(findolin::Form1& form, const QString& folder, const QString& names,
                      const QString& text = {}) {
    form.Text2->setText(folder);
    form.Text1->setText(names);
    form.Text4->setText(text);
    form.Command1->click();
    settle(form);
}

// A folder scan that stops at one folder until it is let go, as a folder on a server that stopped
// answering does. `Heeding::Stop` waits politely and gives up when the search is cancelled (and
// meanwhile hands over what the walk found before it, as a long scan does); `Heeding::Nothing`
// ignores every stop, as a process stuck in the kernel does.
class BlockingScan {
public:
    enum class Heeding { Stop, Nothing };

    BlockingScan(QString folder, Heeding heeding) : state_(std::make_shared<State>()) {
        state_->folder = std::move(folder);
        state_->heeding = heeding;
    }
    ~BlockingScan() { release(); }

    findolin::FolderScanner scanner() const {
        return [state = state_](
                   const QString& folder,
                   const findolin::KeepGoing& keepGoing) -> findolin::Result<findolin::FolderScan> {
            if (folder == state->folder) {
                state->reached = true;
                while (!state->released) {
                    if (state->heeding == Heeding::Stop && keepGoing && !keepGoing())
                        return findolin::OsError::Stopped;
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            return findolin::scanFolder(folder, keepGoing);
        };
    }
    bool reached() const { return state_->reached; }
    void release() { state_->released = true; }

private:
    struct State {
        QString folder;
        Heeding heeding = Heeding::Stop;
        std::atomic<bool> reached = false;
        std::atomic<bool> released = false;
    };
    std::shared_ptr<State> state_;
};
