#pragma once

#include "app/form1.h"
#include "platform/list_box.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"
#include "testdir.h"

#include <QAction>
#include <QLabel>
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

// Plays a user's steps on the window and checks what it shows; "; " parts the steps, and "$"
// stands for the tree's folder. "Name=text" puts text into the field, "Name<<text" types it key
// by key, "Name<Key" presses a key there ("Return", "Esc"), "List@2" selects a line, a bare "Name"
// clicks the button or control or chooses the menu item, and "+file=content" adds a file ("+dir/"
// a folder). Checks: "?Name=text" is the caption or text of the control, "?Name:a|b" the list
// shown and its lines (their paths in step), "?+Name" / "?-Name" the control visible or hidden.
inline void play(findolin::Form1& form, const TestDir& tree, const QString& script) {
    for (QString step : script.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        step.replace(u'$', tree.path()); // names may hold any bytes: no regular expression here
        const qsizetype at = step.startsWith(u'?') ? 1 + (step[1] == u'+' || step[1] == u'-') : 0;
        qsizetype end = at;
        while (end < step.size() && !QStringLiteral("=:<@").contains(step[end]))
            ++end;
        const QString check = step.left(at), name = step.mid(at, end - at), rest = step.mid(end);
        if (name.startsWith(u'+')) {
            tree.add({{name.mid(1), rest.mid(1).toUtf8()}});
            continue;
        }
        QObject* control = form.findChild<QObject*>(name);
        QVERIFY2(control && !name.isEmpty(), qPrintable(step));
        auto* widget = qobject_cast<QWidget*>(control);
        auto* list = qobject_cast<findolin::ListBox*>(control);
        if (check.size() == 2) {
            QVERIFY2(control->property("visible").toBool() == (check[1] == u'+'), qPrintable(step));
        } else if (!check.isEmpty() && rest.startsWith(u':')) {
            QVERIFY2(form.shownList() == list, qPrintable(step));
            QCOMPARE(list->lines().join(u'|'), rest.mid(1));
            const QStringList lines = list->lines(); // a file's path: in a folder with a header
            for (int row = 0; row < list->count() && list->hasPaths(); ++row) {
                const QString path = list->path(row);
                const bool inFolder = path.endsWith(u'/' + lines[row]);
                const QString folder = inFolder ? path.chopped(lines[row].size() + 1) : QString();
                QVERIFY2(path == lines[row] ||
                             (inFolder && (lines.contains(">>>[" + folder + "]") ||
                                           !lines.first().startsWith(u">>>["))),
                         qPrintable(path));
            }
        } else if (!check.isEmpty()) {
            const char* text = control->property("text").isValid() ? "text" : "plainText";
            QCOMPARE(control->property(text).toString(), rest.mid(1));
        } else if (rest.startsWith(u'@')) {
            list->setCurrentRow(rest.mid(1).toInt());
        } else if (rest.startsWith(u"<<")) {
            widget->setFocus();
            QTest::keyClicks(widget, rest.mid(2));
        } else if (rest.startsWith(u'<')) {
            const QKeyCombination key = QKeySequence::fromString(rest.mid(1))[0];
            QTest::keyClick(widget, key.key(), key.keyboardModifiers());
        } else if (rest.startsWith(u'=')) {
            control->setProperty("text", rest.mid(1));
        } else if (auto* action = qobject_cast<QAction*>(control)) {
            action->trigger();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->click();
        } else {
            auto* area = qobject_cast<QAbstractScrollArea*>(widget);
            QTest::mouseClick(area ? area->viewport() : widget, Qt::LeftButton);
        }
        settle(form);
    }
}

// Builds the tree from the script's leading "+" steps, starts the window and plays the rest.
inline std::unique_ptr<findolin::Form1> startAndPlay(const TestHome& home, const QString& script,
                                                     findolin::Surroundings surroundings = {}) {
    QStringList steps = script.split(QStringLiteral("; "), Qt::SkipEmptyParts);
    for (; !steps.isEmpty() && steps.first().startsWith(u'+'); steps.removeFirst())
        home.add(
            {{steps.first().section(u'=', 0, 0).mid(1), steps.first().section(u'=', 1).toUtf8()}});
    auto form = startForm1(std::move(surroundings));
    play(*form, home, steps.join(QStringLiteral("; ")));
    return form;
}
