#include "fake_office.h"
#include "fileops/form2.h"
#include "fileops/line_actions.h"
#include "form1_fixture.h"
#include "platform/file_manager.h"
#include "platform/list_box.h"
#include "platform/native_names.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <fcntl.h>

using namespace findolin;

class TestForm1Gestures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fileLineMenu_data();
    void fileLineMenu();
    void folderLineMenu_data();
    void folderLineMenu();
    void listKeys_data();
    void listKeys();
    void windowKeys();
    void doubleClick_data();
    void doubleClick();
    void dragCarriesTheFile_data();
    void dragCarriesTheFile();
    void dragStartsOnTheChosenFileOnly();
    void unlabelledControlsExplainThemselves();
    void fileManagerShowsTheFileOrItsFolderOpens();
    void cleanupTestCase();

private:
    QTemporaryDir busFolder_;
    QProcess bus_; // a session bus of the test's own
};

namespace {

// Opens the context menu on the line as a right click does (or the menu key, on the selected line)
// and, in the menu, takes the item for `wanted` (none: closes the menu). Returns what the menu
// offered, in its order; nothing when no menu opened.
QList<LineAction> useContextMenu(ListBox* list, int row, std::optional<LineAction> wanted,
                                 QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse) {
    QList<LineAction> offered;
    QTimer inMenu;
    inMenu.setSingleShot(true);
    QObject::connect(&inMenu, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* taken = nullptr;
        for (QAction* action : menu->actions()) {
            offered << LineAction(action->data().toInt());
            if (offered.last() == wanted)
                taken = action;
        }
        if (!taken) {
            menu->close();
            return;
        }
        menu->setActiveAction(taken);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    inMenu.start(0);
    // Below the last line when the row is past it.
    const int last = std::min(row, list->count() - 1);
    const QPoint at = list->visualRect(list->model()->index(last, 0)).center() +
                      QPoint(0, (row - last) * 2 * list->rowHeight());
    QContextMenuEvent request(reason, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(reason == QContextMenuEvent::Mouse ? list->viewport() : list, &request);
    inMenu.stop(); // no menu opened
    return offered;
}

// The window with its desktop replaced: it records what it opens and shows in the file manager,
// and it has a printer.
struct Window {
    explicit Window(ScriptedDialogs& dialogs) {
        Surroundings surroundings(&dialogs);
        surroundings.openWithShell = [this](const QString& path) { opened << path; };
        surroundings.showInFileManager = [this](const QString& path) { shownInFolder << path; };
        surroundings.printerAvailable = [] { return true; };
        form = startForm1(surroundings);
    }
    QStringList opened;
    QStringList shownInFolder;
    std::unique_ptr<Form1> form;
};

// Gives the window the keyboard, as a user's click into it does.
void activate(Form1& form, QWidget* focus) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());
}

int rowOf(const ListBox* list, const QString& line) {
    return int(list->lines().indexOf(line));
}

} // namespace

void TestForm1Gestures::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The bus reads its settings from a file: no services to start, anyone may own any name.
    QFile config(busFolder_.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(
        "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(busFolder_.path()) +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
        "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
        "</policy></busconfig>");
    config.close();
    bus_.start(QStringLiteral("dbus-daemon"),
               {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    if (bus_.waitForStarted() && bus_.waitForReadyRead(10000))
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
}

void TestForm1Gestures::cleanupTestCase() {
    bus_.terminate();
    bus_.waitForFinished();
}

void TestForm1Gestures::fileLineMenu_data() {
    QTest::addColumn<LineAction>("action");
    QTest::newRow("Öffnen") << LineAction::Open;
    QTest::newRow("Drucken") << LineAction::Print;
    QTest::newRow("Umbenennen") << LineAction::Rename;
    QTest::newRow("Kopieren") << LineAction::Copy;
    QTest::newRow("Löschen") << LineAction::Delete;
    QTest::newRow("Pfad kopieren") << LineAction::CopyPath;
    QTest::newRow("Enthaltenden Ordner öffnen") << LineAction::ShowInFolder;
}

// The menu acts on the line it was opened on, also when another line was selected before, and
// each item does what the Datei menu does there, questions included.
void TestForm1Gestures::fileLineMenu() {
    QFETCH(LineAction, action);
    TestHome home;
    const FakeOffice office(home, 0);
    const QString a = home.file("home/Documents/a.txt", "A");
    const QString b = home.file("home/Documents/b.txt", "B");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    form.File1->setCurrentRow(0);
    if (action == LineAction::Open)
        dialogs.answers << Answer::No; // do not end the program
    if (action == LineAction::Delete)
        dialogs.answers << Answer::Yes;
    if (action == LineAction::Rename)
        dialogs.inputs << QStringLiteral("c.txt");
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));

    QCOMPARE(useContextMenu(form.File1, 1, action), lineActions(LineKind::File));
    settle(form);
    switch (action) {
    case LineAction::Open:
        QCOMPARE(dialogs.messages, QStringList{"Findolin beenden?"});
        QCOMPARE(window.opened, QStringList{b});
        QVERIFY(form.isVisible());
        break;
    case LineAction::Print:
        QTRY_VERIFY(office.log().contains("-p " + b));
        QVERIFY(dialogs.messages.isEmpty());
        break;
    case LineAction::Rename:
        QCOMPARE(dialogs.proposals, QStringList{"b.txt"});
        QCOMPARE(contentOf(home.home("Documents/c.txt")), QByteArray("B"));
        QCOMPARE(form.File1->lines(), (QStringList{"a.txt", "c.txt"}));
        break;
    case LineAction::Copy:
        QVERIFY(form.form2().isVisible());
        QVERIFY(form.Kopiermodus);
        QCOMPARE(form.Quelldatei, b);
        form.form2().close();
        break;
    case LineAction::Delete:
        QCOMPARE(dialogs.messages, QStringList{"Soll " + b + " gelöscht werden?"});
        QVERIFY(!QFileInfo::exists(b));
        QCOMPARE(contentOf(home.home(".local/share/Trash/files/b.txt")), QByteArray("B"));
        QCOMPARE(form.File1->lines(), QStringList{"a.txt"});
        break;
    case LineAction::CopyPath:
        QCOMPARE(QGuiApplication::clipboard()->text(), b);
        break;
    case LineAction::ShowInFolder:
        QCOMPARE(window.shownInFolder, QStringList{b});
        QVERIFY(window.opened.isEmpty());
        break;
    case LineAction::OpenFolder:
        QFAIL("a file's line offers its folder through the file manager");
    }
    QCOMPARE(contentOf(a), QByteArray("A"));
    // From the keyboard, the menu is about the selected line.
    if (action == LineAction::CopyPath) {
        form.File1->setCurrentRow(0);
        useContextMenu(form.File1, 1, LineAction::CopyPath, QContextMenuEvent::Keyboard);
        QCOMPARE(QGuiApplication::clipboard()->text(), a);
    }
    // Printing empties it, as the Datei menu's always has.
    if (action != LineAction::CopyPath && action != LineAction::Print)
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("vorher"));
}

void TestForm1Gestures::folderLineMenu_data() {
    QTest::addColumn<QString>("list");   // where the line stands
    QTest::addColumn<QString>("line");   // the line, with %1 for the test's folder
    QTest::addColumn<QString>("folder"); // the folder it names, in the test's folder
    QTest::newRow("header of a folder's hits") << "List1"
                                               << ">>>[%1/akten/x]"
                                               << "akten/x";
    // The test's folder holds the home folder, so it is the profiles' folder: "~" stands for it.
    QTest::newRow("sub-folder entry") << "FileList1"
                                      << " [~akten/x]"
                                      << "akten/x";
}

// A header line or a folder entry names a folder: its menu offers the folder's path and the
// folder in the file manager, and opening the menu does not step into the folder. Such a line
// cannot be dragged out.
void TestForm1Gestures::folderLineMenu() {
    QFETCH(QString, list);
    QFETCH(QString, line);
    QFETCH(QString, folder);
    TestHome home;
    home.file("akten/x/brief.txt", "Brief");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    if (list == u"List1") {
        searchFor(form, home.path("akten"), "brief");
    } else {
        form.Text2->setText(home.path("akten"));
        settle(form);
    }
    ListBox* shown = form.shownList();
    QCOMPARE(shown->objectName(), list);
    const QStringList lines = shown->lines();
    const int row = rowOf(shown, line.replace(QStringLiteral("%1"), home.path()));
    QVERIFY2(row >= 0, qPrintable(lines.join(u'|')));
    const QString textBefore = form.Text2->text();

    const QList<LineAction> folderActions{LineAction::CopyPath, LineAction::OpenFolder};
    QCOMPARE(useContextMenu(shown, row, LineAction::CopyPath), folderActions);
    QCOMPARE(QGuiApplication::clipboard()->text(), home.path(folder));
    QCOMPARE(useContextMenu(shown, row, LineAction::OpenFolder), folderActions);
    QCOMPARE(window.opened, QStringList{home.path(folder)});
    settle(form);
    QCOMPARE(form.shownList(), shown);
    QCOMPARE(shown->lines(), lines);
    QCOMPARE(form.Text2->text(), textBefore);
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(!std::unique_ptr<QMimeData>(shown->dragData(row)));
    // Below the lines there is nothing to act on.
    QVERIFY(useContextMenu(shown, shown->count(), std::nullopt).isEmpty());
}

void TestForm1Gestures::listKeys_data() {
    QTest::addColumn<bool>("inList"); // else in the name query, which holds "xy", all selected
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("fileAfter"); // what b.txt is called then; empty: in the Trash
    QTest::addColumn<QString>("clipboard"); // "=b": the path of b.txt
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("questions");
    const QKeySequence f2(Qt::Key_F2), del(Qt::Key_Delete), copy(QKeySequence::Copy);
    QTest::newRow("F2 in a list renames") << true << f2 << "c.txt"
                                          << "vorher" << QString() << 1;
    QTest::newRow("Delete in a list deletes")
        << true << del << QString() << "vorher" << QString() << 1;
    QTest::newRow("Ctrl+C in a list copies the path") << true << copy << "b.txt"
                                                      << "=b" << QString() << 0;
    QTest::newRow("F2 in the name query") << false << f2 << "b.txt"
                                          << "vorher"
                                          << "xy" << 0;
    QTest::newRow("Delete in the name query deletes its text") << false << del << "b.txt"
                                                               << "vorher" << QString() << 0;
    QTest::newRow("Ctrl+C in the name query copies its text") << false << copy << "b.txt"
                                                              << "xy"
                                                              << "xy" << 0;
}

// F2, Delete and Ctrl+C act on the selected line while a list has the keyboard, asking as the
// menu does; in a text field they keep their meaning there.
void TestForm1Gestures::listKeys() {
    QFETCH(bool, inList);
    QFETCH(QKeySequence, key);
    QFETCH(QString, fileAfter);
    QFETCH(QString, clipboard);
    QFETCH(QString, query);
    QFETCH(int, questions);
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    const QString b = home.file("home/Documents/b.txt", "B");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    dialogs.inputs << QStringLiteral("c.txt");
    dialogs.answers << Answer::Yes;
    form.File1->setCurrentRow(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
    if (inList) {
        activate(form, form.File1);
    } else {
        form.Text1->setText(QStringLiteral("xy"));
        settle(form);
        activate(form, form.Text1);
        form.Text1->selectAll();
    }
    QTest::keySequence(QApplication::focusWidget(), key);
    settle(form);
    if (fileAfter.isEmpty())
        QCOMPARE(contentOf(home.home(".local/share/Trash/files/b.txt")), QByteArray("B"));
    else
        QCOMPARE(contentOf(home.home("Documents/" + fileAfter)), QByteArray("B"));
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard == u"=b" ? b : clipboard);
    QCOMPARE(form.Text1->text(), query);
    QCOMPARE(dialogs.messages.size() + dialogs.prompts.size(), questions);
}

// F1 shows the help and Ctrl+Q ends the program, wherever the keyboard is.
void TestForm1Gestures::windowKeys() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    for (QWidget* focus : std::initializer_list<QWidget*>{form.File1, form.Text4}) {
        form.TextHilfe->hide();
        activate(form, focus);
        QTest::keyClick(focus, Qt::Key_F1);
        QVERIFY(form.TextHilfe->isVisible());
        QTest::keyClick(focus, Qt::Key_F1); // shows it, does not hide it
        QVERIFY(form.TextHilfe->isVisible());
    }
    QTest::keyClick(form.Text4, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form.isVisible());
    QVERIFY(form.Abbruch); // as the menu's Beenden: the window's work ends
}

void TestForm1Gestures::doubleClick_data() {
    QTest::addColumn<QString>("line");        // in the listing of %1/akten, with its sub-folders
    QTest::addColumn<QString>("opened");      // the file opened, if any
    QTest::addColumn<QString>("folderField"); // afterwards
    QTest::newRow("a file opens") << "brief.txt"
                                  << "%1/akten/brief.txt"
                                  << "%1/akten";
    QTest::newRow("a folder entry is entered") << " [~akten/x]" << QString() << "%1/akten/x";
}

// A double click opens a file as "Öffnen" does, but asks nothing; on a folder entry it is the
// click that steps into the folder, and nothing opens.
void TestForm1Gestures::doubleClick() {
    QFETCH(QString, line);
    QFETCH(QString, opened);
    QFETCH(QString, folderField);
    TestHome home;
    home.file("akten/brief.txt", "Brief");
    home.file("akten/x/innen.txt", "innen");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    form.Text2->setText(home.path("akten"));
    settle(form);
    ListBox* list = form.FileList1;
    QCOMPARE(form.shownList(), list);
    const int row = rowOf(list, line);
    QVERIFY2(row >= 0, qPrintable(list->lines().join(u'|')));
    // A double click is a click, then a second press that comes as the double click.
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    settle(form);
    QCOMPARE(window.opened, opened.isEmpty()
                                ? QStringList()
                                : QStringList{opened.replace(QStringLiteral("%1"), home.path())});
    QCOMPARE(form.Text2->text(), folderField.replace(QStringLiteral("%1"), home.path()));
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(form.isVisible());
}

void TestForm1Gestures::dragCarriesTheFile_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("blanks, percent, hash, question mark") << QByteArray("Re: 100% #1?.txt");
    QTest::newRow("umlauts") << QByteArray("Grüße.txt");
    QTest::newRow("not UTF-8") << QByteArray("Gr\xfc\xdf.txt");
}

// A file dragged out carries its URL, which names exactly its bytes.
void TestForm1Gestures::dragCarriesTheFile() {
    QFETCH(QByteArray, name);
    TestHome home;
    const QByteArray full = QFile::encodeName(home.folder("home/Documents")) + '/' + name;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    // Qt's own removal of the test folder cannot name it: it goes first, whatever the outcome.
    const std::unique_ptr<const char, int (*)(const char*)> removed(full.constData(), ::unlink);
    ScriptedDialogs dialogs;
    Window window(dialogs);
    ListBox* list = window.form->File1;
    QCOMPARE(list->count(), 1);
    const std::unique_ptr<QMimeData> data(list->dragData(0));
    QVERIFY(data);
    QVERIFY(data->formats().contains(u"text/uri-list"));
    const QByteArray uriList = data->data(QStringLiteral("text/uri-list")).trimmed();
    QVERIFY(uriList.startsWith("file:///"));
    QCOMPARE(QByteArray::fromPercentEncoding(uriList.mid(7)), full);
    if (!hasRawBytes(nameFromBytes(name)))
        QCOMPARE(data->urls().value(0).toLocalFile(), QFile::decodeName(full));
}

// Pressing on the chosen file line and moving drags the file, as a copy only; pressing on another
// line and moving still drags the selection there, as it always did.
void TestForm1Gestures::dragStartsOnTheChosenFileOnly() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    const QString b = home.file("home/Documents/b.txt", "B");
    home.file("home/Documents/c.txt", "C");
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    ListBox* list = form.File1;
    const auto at = [&](int row) {
        return list->visualRect(list->model()->index(row, 0)).center();
    };
    const auto dragFrom = [&](int row) {
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at(row));
        QTest::mouseMove(list->viewport(), at(row) + QPoint(2, 0));
        QTest::mouseMove(list->viewport(), at(2));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at(2));
    };

    struct Seen {
        QList<QUrl> urls;
        Qt::DropActions actions;
        Qt::DropAction defaultAction = Qt::IgnoreAction;
        bool started = false;
    } seen;
    QTimer inDrag;
    QObject::connect(&inDrag, &QTimer::timeout, [&] {
        auto* drag = list->findChild<QDrag*>();
        if (!drag)
            return;
        seen = {drag->mimeData()->urls(), drag->supportedActions(), drag->defaultAction(), true};
        inDrag.stop();
        QTest::keyClick(list, Qt::Key_Escape); // the user gives up the drag
    });
    inDrag.start(0);
    form.File1->setCurrentRow(1);
    dragFrom(1);
    QTRY_VERIFY(seen.started);
    QCOMPARE(seen.urls, QList<QUrl>{QUrl::fromLocalFile(b)});
    QCOMPARE(seen.actions, Qt::DropActions(Qt::CopyAction));
    QCOMPARE(seen.defaultAction, Qt::CopyAction);
    QCOMPARE(contentOf(b), QByteArray("B"));
    QCOMPARE(list->lines(), (QStringList{"a.txt", "b.txt", "c.txt"}));

    seen = {};
    inDrag.start(0);
    QSignalSpy chosen(list, &ListBox::chosen);
    dragFrom(0);
    inDrag.stop();
    QVERIFY(!seen.started);
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(chosen.count(), 1);
}

// Fields without a label of their own and the search buttons say what they are for; the date
// fields too, which are shown only while the date filter asks for its amount.
void TestForm1Gestures::unlabelledControlsExplainThemselves() {
    TestHome home;
    ScriptedDialogs dialogs;
    Window window(dialogs);
    Form1& form = *window.form;
    QList<QWidget*> controls{form.Command1, form.Command2, form.Command3};
    for (QLineEdit* field : form.findChildren<QLineEdit*>()) {
        if (field->window() == &form && !field->isReadOnly()) // not a hint to read, as Text5
            controls << field;
    }
    QCOMPARE(controls.size(), 9);
    for (const QWidget* control : controls) {
        QVERIFY2(!control->toolTip().isEmpty() && !control->toolTip().contains(u'\n'),
                 qPrintable(control->objectName()));
    }
    // Without the company folder Command3 is the stop button: its tip is not the company search's.
    QVERIFY(!form.Command3->toolTip().contains(u"Firmenordner"));
}

namespace {

// A file manager on the bus, as a desktop's offers it.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

} // namespace

// "Enthaltenden Ordner öffnen" asks the desktop's file manager to show the file, named by its
// exact bytes; where none answers, the file's folder opens the usual way.
void TestForm1Gestures::fileManagerShowsTheFileOrItsFolderOpens() {
    if (bus_.state() != QProcess::Running)
        QSKIP("no session bus of the test's own (dbus-daemon)");
    QDBusConnection session = QDBusConnection::sessionBus();
    QVERIFY(session.isConnected());
    const QString path = nameFromBytes("/tmp/akten/Gr\xfc\xdf 1.txt");
    QStringList opened;
    QObject context;
    const auto answered = [&] {
        return context.findChildren<QDBusPendingCallWatcher*>().isEmpty();
    };
    showInFileManager(
        path, [&](const QString& folder) { opened << folder; }, &context);
    QTRY_COMPARE(opened, QStringList{"/tmp/akten"});

    FakeFileManager fileManager;
    QVERIFY(session.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(session.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    opened.clear();
    showInFileManager(
        path, [&](const QString& folder) { opened << folder; }, &context);
    QTRY_COMPARE(fileManager.shown, QStringList{"file:///tmp/akten/Gr%FC%DF%201.txt"});
    QTRY_VERIFY(answered());
    QVERIFY(opened.isEmpty());
    session.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    session.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
}

QTEST_MAIN(TestForm1Gestures)
#include "test_form1_gestures.moc"
