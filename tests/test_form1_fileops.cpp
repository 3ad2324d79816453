#include "fake_office.h"
#include "fileops/form2.h"
#include "fileops/line_actions.h"
#include "form1_fixture.h"
#include "platform/file_manager.h"
#include "platform/list_box.h"
#include "platform/native_names.h"
#include "platform/volumes.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"

#include <QtDBus>
#include <QtWidgets>

using namespace findolin;

// What the window adds to the file operations: what it asks and says, which lines, paths and
// folders it keeps in step, and the gestures and the target-folder dialog that lead to them.
class TestForm1FileOps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renameAndDeleteKeepTheListsInStep();
    void copyAndPickAFolder();
    void enterInTheRealQuestionsChangesNothing();
    void fileLineGesturesPrintingAndOpening();
    void folderLinesDoubleClicksAndTheOpenQuestion();
    void fileManagerShowsTheFileOrItsFolderOpens();
};

namespace {

// A window on a home of its own holding the tree, with its desktop replaced: its questions are
// answered from a script, what it opens or shows in the file manager is recorded, and it has a
// printer unless told otherwise. Its lists sort as on a German desktop, whatever the machine's.
struct Window {
    explicit Window(const Tree& tree) : home(tree) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Surroundings surroundings(&dialogs);
        surroundings.openWithShell = [this](const QString& path) { events << "open " + path; };
        surroundings.showInFileManager = [this](const QString& path) { events << "show " + path; };
        surroundings.printerAvailable = [this] { return printer; };
        QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
        form = startForm1(surroundings);
    }
    // Takes the menu item, on the list's line if given.
    void trigger(QAction* action, ListBox* list = nullptr, int row = -1) {
        if (list)
            list->setCurrentRow(row);
        action->trigger();
        settle(*form);
    }
    // What the window did since the last look, which it then forgets: its messages, the names it
    // proposed, what it opened or showed, what it put on the clipboard, the file it is copying.
    QStringList done() {
        QStringList seen = std::exchange(dialogs.messages, {});
        for (const QString& name : std::exchange(dialogs.proposals, {}))
            seen << "rename " + name;
        seen << std::exchange(events, {});
        if (QGuiApplication::clipboard()->text() != u"vorher")
            seen << "clipboard " + QGuiApplication::clipboard()->text();
        if (form->Kopiermodus) {
            seen << "copy " + form->Quelldatei;
            form->form2().close();
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
        return seen;
    }

    TestHome home;
    ScriptedDialogs dialogs;
    QStringList events;
    bool printer = true;
    std::unique_ptr<Form1> form;
};

// Opens the context menu on the line as a right click does (or the menu key, on the chosen line)
// and takes the item for `wanted` (none: closes the menu). Returns what the menu offered.
QList<LineAction> useContextMenu(ListBox* list, int row, std::optional<LineAction> wanted,
                                 QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse) {
    QList<LineAction> offered;
    QObject inMenu; // ends the wait for the menu when no menu opened
    QTimer::singleShot(0, &inMenu, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu ? menu->actions() : QList<QAction*>()) {
            offered << LineAction(action->data().toInt());
            if (offered.last() == wanted)
                menu->setActiveAction(action);
        }
        if (menu)
            QTest::keyClick(menu, menu->activeAction() ? Qt::Key_Return : Qt::Key_Escape);
    });
    // Below the last line when the row is past it.
    const int last = std::min(row, list->count() - 1);
    const QPoint at = list->visualRect(list->model()->index(last, 0)).center() +
                      QPoint(0, (row - last) * 2 * list->rowHeight());
    QContextMenuEvent request(reason, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(reason == QContextMenuEvent::Mouse ? list->viewport() : list, &request);
    return offered;
}

// Gives the window the keyboard, as a user's click into it does, and presses the key there.
void press(Form1& form, QWidget* focus, const QKeySequence& key) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());
    QTest::keySequence(focus, key);
    settle(form);
}

// A file manager on the bus, as a desktop's offers it.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

// What a click on the folder in the dialog's tree does.
void choose(Form2& dialog, const QString& path) {
    dialog.Dir1->setCurrentIndex(
        qobject_cast<QFileSystemModel*>(dialog.Dir1->model())->index(path));
}

} // namespace

// A rename proposes the old name and keeps the line in its place, with its path, in a walk's result
// and in a result without paths of its own; a name that is taken or names no file in the folder
// is refused, and the file stays as it was.
// A delete asks first; Yes puts the file in the Trash and takes its line and path, keeps the
// header and leaves no line chosen. A header, a file gone meanwhile or a write-protected one is
// refused, and the lists stay as they were. Where no Trash can be had, the question says that the
// file goes for good.
void TestForm1FileOps::renameAndDeleteKeepTheListsInStep() {
    Window w({{"home/Documents/alt.txt", "Inhalt"},
              {"home/Documents/b.txt", "B"},
              {"akten/x/brief 1.txt", "eins"},
              {"akten/x/brief 2.txt", "zwei"},
              {"akten/y/brief.txt", "y1"},
              {"akten/y/brief 2.txt", "y2"},
              {"akten/y/brief 3.txt", "y3"},
              {"flach/Brief 2003.txt", "Angebot 2003"}});
    Form1& form = *w.form;
    const auto rename = [&](ListBox* list, int row, const std::optional<QString>& newName) {
        // This rename's answer alone: one refused before it asks leaves its answer unused.
        w.dialogs.inputs = QList<std::optional<QString>>(1, newName);
        w.trigger(form.mnuDateiUmbenennen, list, row);
        return w.done();
    };
    QCOMPARE(rename(form.File1, -1, std::nullopt), QStringList{"Datei zum umbenennen auswählen!"});
    // A table of plain strings: GCC's -O1 with the sanitizers warns of an optional copied out of
    // an initializer list. An empty new name changes nothing; so does cancelling, after the table.
    const std::pair<QString, QString> refused[] = {
        {"b.txt", "Die Datei  -- b.txt --  ist bereits vorhanden! "},
        {"../../akten/alt.txt", "Ungültiger Dateiname!"},
        {".", "Ungültiger Dateiname!"},
        {"..", "Ungültiger Dateiname!"},
        {"", {}},
    };
    for (const auto& [newName, message] : refused)
        QCOMPARE(rename(form.File1, 0, newName),
                 QStringList(message.isEmpty() ? 0 : 1, message) + QStringList{"rename alt.txt"});
    QCOMPARE(rename(form.File1, 0, std::nullopt), QStringList{"rename alt.txt"});
    QCOMPARE(form.File1->lines() + QStringList{contentOf(w.home.home("Documents/b.txt"))},
             (QStringList{"alt.txt", "b.txt", "B"}));

    searchFor(form, w.home.path("flach"), "Brief", "Angebot");
    QVERIFY(form.List2->isVisible() && form.List2->paths().isEmpty());
    rename(form.List2, 0, "Brief 2003 neu.txt");
    QCOMPARE(form.List2->lines() + QDir(w.home.path("flach")).entryList(QDir::Files),
             QStringList(2, "Brief 2003 neu.txt"));

    searchFor(form, w.home.path("akten"), "brief");
    QStringList lines = form.List1->lines(), paths = form.List1->paths();
    rename(form.List1, 2, "Zeugnis.txt"); // stays below brief 1.txt
    lines[2] = QStringLiteral("Zeugnis.txt");
    paths[2] = w.home.path("akten/x/Zeugnis.txt");
    QCOMPARE(form.List1->lines() + form.List1->paths() << contentOf(paths[2]),
             lines + paths << "zwei");

    QVERIFY(QFile::remove(w.home.path("akten/y/brief 2.txt")));
    QFile::setPermissions(w.home.path("akten/y/brief 3.txt"), QFileDevice::ReadOwner);
    for (const int row : {0, 4, 5, 1}) { // the header, the file gone, the protected one, brief 1
        w.dialogs.answers << Answer::Yes;
        w.trigger(form.mnuDateiLöschen, form.List1, row);
        QCOMPARE(w.done(), QStringList{"Soll " + paths[row] + " gelöscht werden?"} +
                               QStringList(row == 1 ? 0 : 1, "Datei zum löschen auswählen!"));
    }
    QCOMPARE(contentOf(w.home.path("akten/y/brief 3.txt")), QByteArray("y3"));
    lines.removeAt(1);
    paths.removeAt(1);
    QCOMPARE(form.List1->lines() + form.List1->paths(), lines + paths);
    QCOMPARE(form.RichTextBox2->toPlainText() + form.mnuName->text(), QString());
    // Nothing looks chosen that is not: a copy now has no file to take.
    QVERIFY(form.List1->selectionModel()->selectedIndexes().isEmpty());
    w.trigger(form.mnuDateiKopieren);
    QCOMPARE(w.done(), QStringList{"Datei zum kopieren auswählen!"});
    // The lines below still reach their own files.
    form.List1->setCurrentRow(5);
    QCOMPARE(form.RichTextBox2->toPlainText(), QStringLiteral("y1"));

    qputenv("XDG_DATA_HOME", QFile::encodeName(w.home.file("daten", "kein Ordner"))); // no Trash
    w.trigger(form.mnuDateiLöschen);                                                  // No
    w.dialogs.answers << Answer::Yes;
    w.trigger(form.mnuDateiLöschen);
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(w.done(), QStringList(2, "Soll " + paths[5] +
                                          " endgültig gelöscht werden?\n"
                                          "Auf diesem Laufwerk gibt es keinen Papierkorb."));
    QVERIFY(form.List1->count() == 5 && !QFileInfo::exists(paths[5]));
    QCOMPARE(contentOf(w.home.home(".local/share/Trash/files/brief 1.txt")), QByteArray("eins"));
}

// "Kopieren" takes the chosen file and opens the target-folder dialog on the desktop, beside the
// window; OK copies into the folder chosen there, and the window lists that folder. However the
// dialog closes, the copy ends. As the folder picker it starts on the folder the window shows,
// and a drive that is gone leaves it there.
void TestForm1FileOps::copyAndPickAFolder() {
    Window w({{"home/Documents/Brief.doc", "Brief"},
              {"home/Documents/Zweiter.txt", "zwei"},
              {"akten/x/Rechnung.txt", "neu"},
              {"alt/Rechnung.txt", "alt"},
              {"voll/Rechnung.txt/", {}},
              {"frei/", {}}});
    Form1& form = *w.form;
    const QString free = w.home.path("frei");
    w.trigger(form.mnuDateiKopieren, form.File1, 0);
    Form2& dialog = form.form2();
    QVERIFY(dialog.isVisible() && !dialog.isModal());
    // The desktop falls back to the home folder here.
    QCOMPARE(dialog.Label1->text(), "kopieren nach: " + w.home.home());
    choose(dialog, free);
    // The tree picks a folder; no folder there can be renamed or dropped onto by a slip.
    QVERIFY(!(dialog.Dir1->model()->flags(dialog.Dir1->currentIndex()) &
              (Qt::ItemIsEditable | Qt::ItemIsDropEnabled)));
    QCOMPARE(dialog.Label1->text(), "kopieren nach: " + free);
    play(form, w.home, "File1@1; Dir1<Return"); // another line changes nothing of the copy
    QCOMPARE(form.File1->lines() + QStringList{contentOf(free + "/Brief.doc")},
             (QStringList{"Brief.doc", "Brief"}));

    play(form, w.home, "File1@0; mnuDateiKopieren; Dir1<Esc");
    QVERIFY(!dialog.isVisible() && !form.Kopiermodus);

    w.trigger(form.mnuOrdnerSuchen);
    QVERIFY(dialog.isVisible() && !form.Kopiermodus);
    QCOMPARE((QStringList{dialog.folder(), dialog.Label1->text()}), QStringList(2, free));
    dialog.Drive1->addItem(QStringLiteral("/media/weg"), QStringLiteral("/media/weg"));
    dialog.Drive1_Change(dialog.Drive1->count() - 1);
    QCOMPARE(w.done() << dialog.folder() << dialog.Drive1->currentData().toString(),
             (QStringList{"Gerät nicht verfügbar!", free, volumeRootOf(free)}));
    dialog.Drive1_Change(dialog.Drive1->findData(QStringLiteral("/")));
    QCOMPARE(form.Zielordner, QStringLiteral("/"));
    choose(dialog, w.home.home("Documents"));
    play(form, w.home, "Dir1<Return");
    QCOMPARE(form.File1->lines() + w.done(), (QStringList{"Brief.doc", "Zweiter.txt"}));

    // A copy never replaces a file unasked. A copy that fails leaves the dialog open, with its
    // own file, to choose another folder, unless the file itself has gone.
    const auto copy = [&](ListBox* list, int row, const char* folder) {
        w.trigger(form.mnuDateiKopieren, list, row);
        choose(dialog, w.home.path(folder));
        dialog.Command1->click();
        settle(form);
    };
    const QString question = QStringLiteral(
        "Die Datei  -- %1 --  ist bereits vorhanden! \nSoll sie überschrieben werden?");
    searchFor(form, w.home.path("akten"), "Rechnung");
    copy(form.List1, 1, "voll");
    w.trigger(form.mnuDateiKopieren, form.List1, 0); // the header
    QCOMPARE(w.done(), (QStringList{"Ungültiger Zielpfad!", "Datei zum kopieren auswählen!",
                                    "copy " + w.home.path("akten/x/Rechnung.txt")}));
    copy(form.List1, 1, "alt"); // Cancel: nothing copied, but the folder was chosen
    QCOMPARE(
        w.done() << contentOf(w.home.path("alt/Rechnung.txt")) << form.Text2->text(),
        (QStringList{question.arg(w.home.path("alt/Rechnung.txt")), "alt", w.home.path("alt")}));
    w.dialogs.answers << Answer::Ok;
    copy(form.File1, 0, "akten/x");
    QCOMPARE(w.done() << contentOf(w.home.path("akten/x/Rechnung.txt")),
             (QStringList{question.arg(w.home.path("akten/x/Rechnung.txt")), "alt"}));
    QVERIFY(QFile::remove(w.home.path("akten/x/Rechnung.txt")));
    copy(form.File1, 0, "frei");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(w.done() + QDir(free).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"Datei zum kopieren auswählen!", "Brief.doc"}));
}

// Enter in the real message boxes takes the answer that changes nothing.
void TestForm1FileOps::enterInTheRealQuestionsChangesNothing() {
    WidgetDialogs real(nullptr);
    for (const auto& [style, answer] : {std::pair(MessageStyle::OkCancelQuestion, Answer::Cancel),
                                        std::pair(MessageStyle::YesNoInformation, Answer::No)}) {
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        QCOMPARE(real.message("?", style, "Findolin"), answer);
    }
}

// Pressing on the chosen file's line and moving drags the file, as a copy only, named by its
// URL; pressing on another line and moving chooses the line where the mouse ends.
// The menu on a file's line acts on that line, also when another one was chosen before, through
// the Datei menu's own handlers; from the keyboard it is about the chosen line. F2, Delete and
// Ctrl+C act on the chosen line while a list has the keyboard, and keep their meaning in a text
// field. "Öffnen" opens a document in the word processor; printing goes through the office suite,
// and counts only where a printer is known. F1 shows the help and Ctrl+Q ends the program,
// wherever the keyboard is.
void TestForm1FileOps::fileLineGesturesPrintingAndOpening() {
    Window w({{"home/Documents/a.txt", "A"},
              {"home/Documents/b.txt", "B"},
              {"home/Documents/c.txt", "C"},
              {"home/Documents/e.DOC", "x"}});
    const FakeOffice office(w.home, 0);
    Form1& form = *w.form;
    const QString a = w.home.home("Documents/a.txt"), b = w.home.home("Documents/b.txt");
    ListBox* list = form.File1;
    QList<QUrl> dragged;
    QTimer inDrag;
    QObject::connect(&inDrag, &QTimer::timeout, [&] {
        if (auto* drag = list->findChild<QDrag*>()) {
            if (drag->supportedActions() == Qt::CopyAction &&
                drag->defaultAction() == Qt::CopyAction)
                dragged = drag->mimeData()->urls();
            inDrag.stop();
            QTest::keyClick(list, Qt::Key_Escape); // the user gives up the drag
        }
    });
    list->setCurrentRow(1);
    QSignalSpy chosen(list, &ListBox::chosen);
    const QPoint to = list->visualRect(list->model()->index(2, 0)).center();
    // From the chosen line a drag of its file; from another one no drag at all.
    for (const int row : {1, 0}) {
        const QPoint from = list->visualRect(list->model()->index(row, 0)).center();
        dragged.clear();
        inDrag.start(0);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(list->viewport(), from + QPoint(2, 0));
        QTest::mouseMove(list->viewport(), to);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, to);
        QTRY_COMPARE(dragged, QList<QUrl>(row == 1, QUrl::fromLocalFile(b)));
    }
    inDrag.stop();
    QVERIFY(list->currentRow() == 2 && chosen.count() == 1 && chosen[0][0] == 2);
    // The URL names exactly the file's bytes, also where they are not UTF-8.
    const std::unique_ptr<QMimeData> data(fileDragData(nameFromBytes("/a/Re: 100% #1?.txt")));
    QCOMPARE(data->formats() << data->data(QStringLiteral("text/uri-list")),
             (QStringList{"text/uri-list", "file:///a/Re%3A%20100%25%20%231%3F.txt\r\n"}));

    const auto take = [&](LineAction action,
                          QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse) {
        form.File1->setCurrentRow(0);
        useContextMenu(form.File1, 1, action, reason);
        settle(form);
        return w.done();
    };
    QCOMPARE(take(LineAction::CopyPath), QStringList{"clipboard " + b});
    QCOMPARE(take(LineAction::CopyPath, QContextMenuEvent::Keyboard),
             QStringList{"clipboard " + a});
    QCOMPARE(take(LineAction::ShowInFolder), QStringList{"show " + b});
    QCOMPARE(take(LineAction::Open), (QStringList{"Findolin beenden?", "open " + b}));
    QCOMPARE(take(LineAction::Print), QStringList{"clipboard "});
    QVERIFY(office.log().contains("-p " + b));
    QCOMPARE(take(LineAction::Copy), QStringList{"copy " + b});
    w.dialogs.inputs << QStringLiteral("bb.txt");
    QCOMPARE(take(LineAction::Rename), QStringList{"rename b.txt"});
    w.dialogs.answers << Answer::Yes;
    QCOMPARE(take(LineAction::Delete),
             QStringList{"Soll " + w.home.home("Documents/bb.txt") + " gelöscht werden?"});
    QCOMPARE(form.File1->lines(), (QStringList{"a.txt", "c.txt", "e.DOC"}));

    form.Text1->setText(QStringLiteral("xy"));
    form.Text1->selectAll();
    press(form, form.Text1, Qt::Key_Delete);
    form.File1->setCurrentRow(0);
    press(form, form.File1, QKeySequence::Copy);
    QCOMPARE(w.done(), QStringList{"clipboard " + a});
    w.dialogs.inputs << QStringLiteral("d.txt");
    press(form, form.File1, Qt::Key_F2);
    QCOMPARE(form.Text1->text() + form.mnuName->text(), w.home.home("Documents/d.txt"));
    form.File1->setCurrentRow(1);
    w.dialogs.answers << Answer::Yes;
    press(form, form.File1, Qt::Key_Delete);
    QCOMPARE(w.done(), (QStringList{"Soll " + w.home.home("Documents/d.txt") + " gelöscht werden?",
                                    "rename a.txt"}));

    w.trigger(form.mnuName, list, 1);
    QTRY_VERIFY(office.log().contains(w.home.home("Documents/e.DOC")));
    const FakeOffice failing(w.home, 1); // the office suite fails from here on
    w.trigger(form.mnuItemDrucken, list, 0);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(w.home.folder("leer"))); // no office suite at all
    w.trigger(form.mnuItemDrucken);
    qputenv("PATH", path);
    w.printer = false; // the office suite's word alone is no print
    w.trigger(form.mnuItemDrucken, list, 1);
    QVERIFY(!office.log().contains("-p " + w.home.home("Documents/e.DOC")));
    QCOMPARE(w.done(), QStringList(3, "Datei zum drucken auswählen!"));

    for (QWidget* focus : std::initializer_list<QWidget*>{form.File1, form.Text4}) {
        form.TextHilfe->hide();
        press(form, focus, Qt::Key_F1);
        press(form, focus, Qt::Key_F1); // shows it, does not hide it
        QVERIFY(form.TextHilfe->isVisible());
    }
    // Without the company folder Command3 stops a search, and its tip says so.
    QVERIFY(!form.Command3->toolTip().contains(u"Firmenordner"));
    QTest::keyClick(form.Text4, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form.isVisible() && form.Abbruch);
}

// A header line or a folder entry names a folder: its menu offers the folder's path and the folder
// itself, opening the menu does not step into the folder, and the line cannot be dragged out. A
// double click opens a file as "Öffnen" does, but asks nothing; on a folder entry it is the click
// that steps into the folder. "Öffnen" itself asks, and ends the program when the user says so
// (No is the file line menu's).
void TestForm1FileOps::folderLinesDoubleClicksAndTheOpenQuestion() {
    Window w({{"akten/brief.txt", "Brief"}, {"akten/x/brief.txt", "innen"}});
    Form1& form = *w.form;
    const QString folder = w.home.path("akten/x");
    const auto folderLine = [&](const QString& line) {
        ListBox* shown = form.shownList();
        const QStringList lines = shown->lines();
        const int row = int(lines.indexOf(line));
        QVERIFY2(row >= 0, qPrintable(lines.join(u'|')));
        useContextMenu(shown, row, LineAction::CopyPath);
        QCOMPARE(useContextMenu(shown, row, LineAction::OpenFolder),
                 (QList<LineAction>{LineAction::CopyPath, LineAction::OpenFolder}));
        settle(form);
        QCOMPARE(w.done(), (QStringList{"open " + folder, "clipboard " + folder}));
        QVERIFY(form.shownList() == shown && shown->lines() == lines);
        QVERIFY(!std::unique_ptr<QMimeData>(shown->dragData(row)));
        // Below the lines there is nothing to act on.
        QVERIFY(useContextMenu(shown, shown->count(), std::nullopt).isEmpty());
    };
    form.Text2->setText(w.home.path("akten"));
    settle(form);
    // The test's folder holds the home folder, so it is the profiles' folder: "~" stands for it.
    folderLine(QStringLiteral(" [~akten/x]"));
    ListBox* list = form.FileList1;
    for (const char* line : {"brief.txt", " [~akten/x]"}) {
        const QPoint at =
            list->visualRect(list->model()->index(int(list->lines().indexOf(line)), 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        settle(form);
    }
    QCOMPARE(w.done(), QStringList{"open " + w.home.path("akten/brief.txt")});
    QCOMPARE(form.Text2->text(), folder);
    searchFor(form, w.home.path("akten"), "brief");
    folderLine(">>>[" + folder + "]");
    w.trigger(form.mnuName); // on the header the menu left chosen
    QCOMPARE(w.done(), QStringList{"Datei zum öffnen auswählen!"});
    w.dialogs.answers << Answer::Yes;
    w.trigger(form.mnuItemÖffnen, form.List1, 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(w.done(),
             (QStringList{"Findolin beenden?", "open " + w.home.path("akten/brief.txt")}));
}

// "Enthaltenden Ordner öffnen" asks the desktop's file manager to show the file, named by its
// exact bytes; where none answers, the file's folder opens the usual way.
void TestForm1FileOps::fileManagerShowsTheFileOrItsFolderOpens() {
    // A session bus of the test's own: nothing before asks for one, as the windows' file manager is
    // a stand-in. It reads its settings from a file: no services to start, anyone may own any name.
    const TestDir busFolder;
    const QString config = busFolder.file(
        "bus.conf",
        "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(busFolder.path()) +
            "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
            "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>");
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {"--config-file=" + config, "--nofork", "--print-address=1"});
    if (!bus.waitForStarted() || !bus.waitForReadyRead(10000))
        QSKIP("no session bus of the test's own (dbus-daemon)");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    QDBusConnection session = QDBusConnection::sessionBus();
    FakeFileManager fileManager;
    QStringList opened;
    QObject context;
    const auto show = [&] {
        showInFileManager(
            nameFromBytes("/tmp/akten/Gr\xfc\xdf 1.txt"),
            [&](const QString& folder) { opened << folder; }, &context);
        QTRY_VERIFY(context.findChildren<QDBusPendingCallWatcher*>().isEmpty()); // answered
    };
    show();
    QCOMPARE(opened, QStringList{"/tmp/akten"});
    QVERIFY(session.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(session.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    show();
    QCOMPARE(opened + fileManager.shown,
             (QStringList{"/tmp/akten", "file:///tmp/akten/Gr%FC%DF%201.txt"}));
    bus.terminate();
    bus.waitForFinished();
}

QTEST_MAIN(TestForm1FileOps)
#include "test_form1_fileops.moc"
