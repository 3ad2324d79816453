#include "fileops/form2.h"
#include "form1_fixture.h"
#include "platform/list_box.h"
#include "platform/volumes.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

using namespace findolin;

// Copying the selected file through the target-folder dialog, and the same dialog as the file
// menu's folder picker.
class TestForm2 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void copyFromTheFolderListIntoAFolder();
    void copyAsksBeforeReplacing();
    void copyFromTheWalkResultAndItsRefusals();
    void closingEndsTheCopyAndThePickerListsItsFolder();
    void unavailableDriveKeepsTheFolder();
    void sourceGoneWhileTheDialogWasOpen();
    void enterInTheRealQuestionsChangesNothing();
};

namespace {

// What a click on the folder in the dialog's tree does.
void chooseFolder(Form2& dialog, const QString& path) {
    auto* folders = qobject_cast<QFileSystemModel*>(dialog.Dir1->model());
    QVERIFY(folders);
    const QModelIndex index = folders->index(path);
    QVERIFY2(index.isValid(), qPrintable(path));
    dialog.Dir1->setCurrentIndex(index);
}

QString copyQuestion(const QString& target) {
    return "Die Datei  -- " + target +
           " --  ist bereits vorhanden! \nSoll sie überschrieben werden?";
}

} // namespace

void TestForm2::copyFromTheFolderListIntoAFolder() {
    TestHome home;
    home.file("home/Documents/Brief.doc", "Brief");
    home.file("home/Documents/Zweiter.txt", "zwei");
    const QString archive = home.folder("akten/Archiv");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    form->mnuDateiKopieren->trigger();
    settle(*form);

    Form2& dialog = form->form2();
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.isModal());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Findolin"));
    QCOMPARE(dialog.Command1->text(), QStringLiteral("OK"));
    QVERIFY(form->Kopiermodus);
    QCOMPARE(form->Quelldatei, home.home("Documents/Brief.doc"));
    QCOMPARE(form->Zieldatei, QStringLiteral("Brief.doc"));
    // The copy dialog starts on the desktop, which falls back to the home folder here.
    QCOMPARE(form->sites().desktop, home.home());
    QCOMPARE(dialog.Label1->text(), "kopieren nach: " + home.home());
    QCOMPARE(dialog.Drive1->currentData().toString(), volumeRootOf(home.home()));

    chooseFolder(dialog, archive);
    QCOMPARE(form->Zielordner, archive);
    QCOMPARE(dialog.Label1->text(), "kopieren nach: " + archive);
    // Choosing another file meanwhile does not change what is copied.
    form->File1->setCurrentRow(1);
    QTest::keyClick(dialog.Dir1, Qt::Key_Return);
    settle(*form);

    QVERIFY(!dialog.isVisible());
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(contentOf(archive + "/Brief.doc"), QByteArray("Brief"));
    QCOMPARE(contentOf(home.home("Documents/Brief.doc")), QByteArray("Brief"));
    QVERIFY(!QFileInfo::exists(archive + "/Zweiter.txt"));
    QCOMPARE(form->Zieldatei, archive + "/Brief.doc");
    QVERIFY(!form->Kopiermodus);
    // The window then lists the folder the copy went to.
    QCOMPARE(form->Text2->text(), archive);
    QCOMPARE(form->File1->lines(), QStringList{"Brief.doc"});
}

void TestForm2::copyAsksBeforeReplacing() {
    TestHome home;
    home.file("home/Documents/Rechnung.txt", "neu");
    const QString target = home.file("akten/Rechnung.txt", "alt");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    Form2& dialog = form->form2();
    const auto copyInto = [&](const QString& folder) {
        form->listFolder(home.home("Documents"));
        settle(*form);
        form->File1->setCurrentRow(0);
        form->mnuDateiKopieren->trigger();
        settle(*form);
        chooseFolder(dialog, folder);
        dialog.Command1->click();
        settle(*form);
    };

    copyInto(home.path("akten")); // Cancel: nothing copied, the dialog closes
    QCOMPARE(dialogs.messages, QStringList{copyQuestion(target)});
    QCOMPARE(dialogs.titles, QStringList{"Datei kopieren"});
    QCOMPARE(dialogs.styles, QList<MessageStyle>{MessageStyle::OkCancelQuestion});
    QCOMPARE(contentOf(target), QByteArray("alt"));
    QVERIFY(!dialog.isVisible());
    QVERIFY(!form->Kopiermodus);
    QCOMPARE(form->Text2->text(), home.path("akten")); // declined, but the folder was chosen

    dialogs.answers << Answer::Ok;
    copyInto(home.path("akten"));
    QCOMPARE(dialogs.messages.size(), 2); // no further question
    QCOMPARE(contentOf(target), QByteArray("neu"));
    QVERIFY(!dialog.isVisible());

    // Onto itself: asked like any other file, and the file stays whole.
    dialogs.answers << Answer::Ok;
    copyInto(home.home("Documents"));
    QCOMPARE(dialogs.messages.last(), copyQuestion(home.home("Documents/Rechnung.txt")));
    QCOMPARE(contentOf(home.home("Documents/Rechnung.txt")), QByteArray("neu"));
    QCOMPARE(QDir(home.home("Documents")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Rechnung.txt"});
}

void TestForm2::copyFromTheWalkResultAndItsRefusals() {
    TestHome home;
    home.file("akten/x/brief.txt", "x");
    home.folder("voll/brief.txt"); // a folder in the way of the copy
    const QString free = home.folder("frei");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "brief");

    form->List1->setCurrentRow(0); // the header
    form->mnuDateiKopieren->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Datei zum kopieren auswählen!"});
    QVERIFY(!form->findChild<Form2*>());
    QVERIFY(!form->Kopiermodus);

    form->List1->setCurrentRow(1);
    form->mnuDateiKopieren->trigger();
    settle(*form);
    QCOMPARE(form->Quelldatei, form->List1->paths()[1]);
    Form2& dialog = form->form2();
    chooseFolder(dialog, home.path("voll"));
    dialog.Command1->click();
    settle(*form);
    // The failure is reported and the dialog stays, to choose another folder.
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Ungültiger Zielpfad!"));
    QVERIFY(dialog.isVisible());
    QVERIFY(form->Kopiermodus);
    QVERIFY(QFileInfo(home.path("voll/brief.txt")).isDir());
    // A refused copy command leaves the open copy dialog with its own file.
    form->List1->setCurrentRow(0);
    form->mnuDateiKopieren->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum kopieren auswählen!"));
    QVERIFY(dialog.isVisible());
    QVERIFY(form->Kopiermodus);

    chooseFolder(dialog, free);
    dialog.Command1->click();
    settle(*form);
    QCOMPARE(contentOf(free + "/brief.txt"), QByteArray("x"));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialogs.messages.size(), 3);
}

void TestForm2::closingEndsTheCopyAndThePickerListsItsFolder() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    const QString archive = home.folder("akten/Archiv");
    home.file("akten/Archiv/alt.txt", "alt");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    form->mnuDateiKopieren->trigger();
    settle(*form);
    Form2& dialog = form->form2();
    dialog.close(); // the close box
    QVERIFY(!dialog.isVisible());
    QVERIFY(!form->Kopiermodus);
    form->mnuDateiKopieren->trigger();
    settle(*form);
    QTest::keyClick(dialog.Dir1, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!form->Kopiermodus);
    QVERIFY(!QFileInfo::exists(home.home("a.txt")));

    // The folder picker starts on the folder the window shows.
    form->mnuOrdnerSuchen->trigger();
    settle(*form);
    QVERIFY(dialog.isVisible());
    QVERIFY(!form->Kopiermodus);
    QCOMPARE(dialog.folder(), home.home("Documents"));
    QCOMPARE(dialog.Label1->text(), home.home("Documents"));
    chooseFolder(dialog, archive);
    QCOMPARE(dialog.Label1->text(), archive);
    QTest::keyClick(dialog.Dir1, Qt::Key_Return);
    settle(*form);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(form->Text2->text(), archive);
    QCOMPARE(form->File1->folder(), archive);
    QCOMPARE(form->File1->lines(), QStringList{"alt.txt"});
    QVERIFY(dialogs.messages.isEmpty());
}

void TestForm2::unavailableDriveKeepsTheFolder() {
    TestHome home;
    home.folder("home/Documents");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->mnuOrdnerSuchen->trigger();
    settle(*form);
    Form2& dialog = form->form2();
    const QString start = home.home("Documents");
    QCOMPARE(dialog.folder(), start);
    QVERIFY(dialog.Drive1->findData(QStringLiteral("/")) >= 0);

    // A stick pulled out after the list was filled.
    dialog.Drive1->addItem(QStringLiteral("/media/weg"), QStringLiteral("/media/weg"));
    dialog.Drive1_Change(dialog.Drive1->count() - 1);
    QCOMPARE(dialogs.messages, QStringList{"Gerät nicht verfügbar!"});
    QCOMPARE(dialog.folder(), start);
    QCOMPARE(dialog.Drive1->currentData().toString(), volumeRootOf(start));
    QCOMPARE(dialog.Label1->text(), start);

    // A drive that is there: its root is chosen.
    dialog.Drive1_Change(dialog.Drive1->findData(QStringLiteral("/")));
    QCOMPARE(dialog.folder(), QStringLiteral("/"));
    QCOMPARE(form->Zielordner, QStringLiteral("/"));
    QCOMPARE(dialogs.messages.size(), 1);
    dialog.close();
}

void TestForm2::sourceGoneWhileTheDialogWasOpen() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    const QString archive = home.folder("akten");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    form->mnuDateiKopieren->trigger();
    settle(*form);
    Form2& dialog = form->form2();
    chooseFolder(dialog, archive);
    QVERIFY(QFile::remove(home.home("Documents/a.txt")));
    dialog.Command1->click();
    settle(*form);
    // No other folder would help: the dialog says so and goes.
    QCOMPARE(dialogs.messages, QStringList{"Datei zum kopieren auswählen!"});
    QVERIFY(!dialog.isVisible());
    QCOMPARE(QDir(archive).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestForm2::enterInTheRealQuestionsChangesNothing() {
    WidgetDialogs real(nullptr);
    const auto pressEnter = [](QMessageBox::Icon* icon) {
        QTimer::singleShot(0, [icon] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            *icon = box->icon();
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    pressEnter(&icon);
    QCOMPARE(real.message("ersetzen?", MessageStyle::OkCancelQuestion, "Datei kopieren"),
             Answer::Cancel);
    QCOMPARE(icon, QMessageBox::Question);
    pressEnter(&icon);
    QCOMPARE(real.message("löschen?", MessageStyle::YesNoInformation, "Findolin"), Answer::No);
    QCOMPARE(icon, QMessageBox::Information);
}

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
