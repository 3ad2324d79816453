#include "fileops/file_operations.h"

#include "app/form1.h"
#include "fileops/form2.h"
#include "platform/dialogs.h"
#include "platform/file_changes.h"
#include "platform/native_names.h"
#include "platform/paths.h"
#include "preview/word_processor.h"
#include "search/file_list_box.h"
#include "search/folder_walk.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTextEdit>

namespace findolin {
namespace {

// The folder of a full path whose last part is the name.
QString folderOf(const QString& path, const QString& name) {
    return path.endsWith(name) ? path.chopped(name.size()) : QString();
}

} // namespace

std::optional<FileOperations::Selection> FileOperations::selectedFile() const {
    Selection s;
    s.list = f.shownList();
    s.row = s.list->currentRow();
    s.name = s.list->line(s.row);
    if (s.name.isEmpty() || !s.list->isFile(s.row))
        return std::nullopt;
    // Lines without a path of their own are names in the folder the file list was read from.
    s.folder = s.list->hasPaths() ? folderOf(s.list->path(s.row), s.name)
                                  : joinPath(f.File1->folder(), u"");
    if (s.folder.isEmpty())
        return std::nullopt;
    return s;
}

void FileOperations::mnuName_Click() {
    const QString cannotOpen = QStringLiteral("Datei zum öffnen auswählen!");
    const ListBox* shown = f.shownList();
    if (shown->kind(shown->currentRow()) == LineKind::Header) {
        f.dialogs().message(cannotOpen);
        return;
    }
    f.DateiAuswählen();
    const bool opened =
        f.mnuName->text().contains(u"doc", Qt::CaseInsensitive)
            ? f.WordApp && f.WordApp->openShown(f.AuswahlPfad)
            : (f.surroundings().openWithShell(f.AuswahlPfad), true); // the shell reports nothing
    if (!opened)
        f.dialogs().message(cannotOpen);
}

void FileOperations::mnuItemÖffnen_Click() {
    const Answer answer =
        f.dialogs().message(QStringLiteral("Findolin beenden?"), MessageStyle::YesNoInformation);
    mnuName_Click();
    if (answer != Answer::No)
        f.close();
}

void FileOperations::mnuItemDrucken_Click() {
    f.DateiAuswählen();
    // Without a printer the office suite reports success and prints nothing.
    if (!f.WordApp || !f.surroundings().printerAvailable() || !f.WordApp->print(f.AuswahlPfad)) {
        f.dialogs().message(QStringLiteral("Datei zum drucken auswählen!"));
        return;
    }
    QGuiApplication::clipboard()->clear();
}

void FileOperations::mnuDateiUmbenennen_Click() {
    const auto selection = selectedFile();
    if (!selection) {
        f.dialogs().message(QStringLiteral("Datei zum umbenennen auswählen!"));
        return;
    }
    const auto answer = f.dialogs().input(QStringLiteral("Umbenennen"), selection->name);
    if (!answer || answer->isEmpty())
        return;
    const QString newName = *answer;
    // A name is a name: a separator would move the file elsewhere.
    if (newName.contains(u'/') || newName == u"." || newName == u"..") {
        f.dialogs().message(QStringLiteral("Ungültiger Dateiname!"));
        return;
    }
    const QString oldPath = selection->folder + selection->name;
    const QString newPath = selection->folder + newName;
    const auto taken = [&] {
        f.dialogs().message(QStringLiteral("Die Datei  -- ") + visibleText(newName) +
                            QStringLiteral(" --  ist bereits vorhanden! "));
    };
    if (nameIsTaken(newPath)) {
        taken();
        return;
    }
    if (const auto renamed = renameWithoutReplacing(oldPath, newPath); !renamed.ok()) {
        if (renamed.error() == OsError::AlreadyExists)
            taken(); // it appeared in the meantime: it stays untouched
        else
            f.dialogs().message(QStringLiteral("Ungültiger Dateiname!"));
        return;
    }
    f.mnuName->setText(visibleText(newPath));
    replaceSelected(*selection, newName);
}

void FileOperations::replaceSelected(const Selection& selection, const QString& newName) {
    if (selection.list != f.File1)
        selection.list->replaceLine(selection.row, newName, selection.folder + newName);
    f.File1->relist(); // the folder list reads the new name
}

void FileOperations::mnuDateiKopieren_Click() {
    const auto selection = selectedFile();
    if (!selection) { // a copy dialog already open goes on with its own file
        f.dialogs().message(QStringLiteral("Datei zum kopieren auswählen!"));
        return;
    }
    f.Kopiermodus = true;
    f.Quelldatei = selection->folder + selection->name;
    f.Zieldatei = selection->name;
    f.form2().Form_Load();
}

bool FileOperations::copyInto(const QString& folder) {
    const QString target = joinPath(folder, f.Zieldatei);
    const auto copy = [&](WhenTaken whenTaken) {
        // The copy holds the window and the dialog alike.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto copied = copyFile(f.Quelldatei, target, whenTaken);
        QGuiApplication::restoreOverrideCursor();
        return copied;
    };
    auto copied = copy(WhenTaken::Refuse);
    if (!copied.ok() && copied.error() == OsError::AlreadyExists) {
        const Answer answer = f.dialogs().message(
            QStringLiteral("Die Datei  -- ") + visibleText(target) +
                QStringLiteral(" --  ist bereits vorhanden! \nSoll sie überschrieben werden?"),
            MessageStyle::OkCancelQuestion, QStringLiteral("Datei kopieren"));
        if (answer != Answer::Ok)
            return true;
        copied = copy(WhenTaken::Replace);
    }
    if (!copied.ok() && !isOrdinaryFile(f.Quelldatei)) {
        // The file went while the dialog was open: no folder will help.
        f.dialogs().message(QStringLiteral("Datei zum kopieren auswählen!"));
        return true;
    }
    if (!copied.ok()) {
        f.dialogs().message(QStringLiteral("Ungültiger Zielpfad!"));
        return false;
    }
    f.Zieldatei = target;
    return true;
}

void FileOperations::mnuDateiLöschen_Click() {
    f.DateiAuswählen();
    const QString path = f.AuswahlPfad;
    // A deleted file goes to the Trash, from where the file manager puts it back. Where its volume
    // has none, the question says that nothing will.
    const bool forGood = nameIsTaken(path) && !trashAvailableFor(path);
    const QString question =
        forGood ? QStringLiteral("Soll ") + path +
                      QStringLiteral(" endgültig gelöscht werden?\n"
                                     "Auf diesem Laufwerk gibt es keinen Papierkorb.")
                : QStringLiteral("Soll ") + path + QStringLiteral(" gelöscht werden?");
    if (f.dialogs().message(question, MessageStyle::YesNoInformation) != Answer::Yes)
        return;
    const auto selection = selectedFile();
    if (!selection || selection->folder + selection->name != path ||
        !(forGood ? deleteFile(path) : moveToTrash(path)).ok()) {
        f.dialogs().message(QStringLiteral("Datei zum löschen auswählen!"));
        return;
    }
    f.File1->relist();
    if (selection->list != f.File1)
        selection->list->removeLine(selection->row);
    // The list would move its highlight to the next line, a file nobody chose and nothing shows.
    selection->list->clearSelection();
    selection->list->selectionModel()->clearCurrentIndex();
    f.RichTextBox2->clear();
    f.mnuName->setText({});
}

} // namespace findolin
