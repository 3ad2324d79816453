#include "fileops/list_gestures.h"

#include "app/form1.h"
#include "navigation/site_folders.h"
#include "platform/file_manager.h"
#include "platform/list_box.h"
#include "platform/native_names.h"
#include "search/file_list_box.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>

namespace findolin {
namespace {

struct ActionLook {
    LineAction action;
    const char* caption;
    QList<QKeySequence> keys;
};

} // namespace

ListGestures::ListGestures(Form1& form) : f(form) {
    // The keys collide with nothing in a list; in the text fields they keep their own meaning,
    // as each works only while a list has the focus.
    const ActionLook looks[] = {
        {LineAction::Open, "&Öffnen", {}},
        {LineAction::Print, "&Drucken", {}},
        {LineAction::Rename, "&Umbenennen", {QKeySequence(Qt::Key_F2)}},
        {LineAction::Copy, "&Kopieren", {}},
        {LineAction::Delete, "&Löschen", {QKeySequence(Qt::Key_Delete)}},
        {LineAction::CopyPath, "&Pfad kopieren", QKeySequence::keyBindings(QKeySequence::Copy)},
        {LineAction::ShowInFolder, "&Enthaltenden Ordner öffnen", {}},
        {LineAction::OpenFolder, "&Ordner öffnen", {}},
    };
    for (const ActionLook& look : looks) {
        auto* action = new QAction(QString::fromUtf8(look.caption), this);
        action->setData(int(look.action));
        action->setShortcuts(look.keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, which = look.action] { perform(which); });
        actions_[look.action] = action;
    }
}

void ListGestures::connectLists() {
    for (ListBox* list : {static_cast<ListBox*>(f.File1), f.FileList1, f.List1, f.List2}) {
        for (const auto& [action, qaction] : actions_) {
            if (!qaction->shortcuts().isEmpty())
                list->addAction(qaction);
        }
        // The mouse's menu request reaches the list's viewport, the keyboard's the list itself.
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        list->setDragData([&form = f, list](int row) -> QMimeData* {
            return list->isFile(row) ? fileDragData(form.pathOf(list, row)) : nullptr;
        });
        // A file opens as with "Öffnen", but without asking whether to end the program. The click
        // before has chosen the line: a folder entry is entered already, a header shows nothing.
        connect(list, &QAbstractItemView::doubleClicked, this, [this, list](const QModelIndex& at) {
            if (list->isFile(at.row()) && at.row() == list->currentRow())
                f.mnuName->trigger();
        });
    }
    addWindowKeys();
}

void ListGestures::addWindowKeys() {
    auto* help = new QAction(this);
    help->setShortcut(Qt::Key_F1);
    // In the full screen "?" zooms, and the help would lie under the picture.
    connect(help, &QAction::triggered, this, [this] {
        if (!f.VollbildModus && !f.TextHilfe->isVisible())
            f.mnuHelp_Click();
    });
    auto* quit = new QAction(this);
    quit->setShortcut(Qt::CTRL | Qt::Key_Q);
    connect(quit, &QAction::triggered, f.mnuItemBeenden, &QAction::trigger);
    f.addActions({help, quit});
}

bool ListGestures::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ContextMenu)
        return false;
    ListBox* list = nullptr;
    for (ListBox* each : {static_cast<ListBox*>(f.File1), f.FileList1, f.List1, f.List2}) {
        if (watched == each || watched == each->viewport())
            list = each;
    }
    if (!list)
        return false;
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (request->reason() == QContextMenuEvent::Mouse) {
        const QPoint at =
            watched == list ? list->viewport()->mapFrom(list, request->pos()) : request->pos();
        showContextMenu(list, list->indexAt(at).row(), request->globalPos());
    } else {
        // From the keyboard: below the selected line.
        const int row = list->currentRow();
        const QRect line = list->visualRect(list->model()->index(row, 0));
        showContextMenu(list, row, list->viewport()->mapToGlobal(line.bottomLeft()));
    }
    return true;
}

void ListGestures::showContextMenu(ListBox* list, int row, QPoint where) {
    if (row < 0 || row >= list->count())
        return;
    // The menu acts on the line it was opened on. A file is chosen as by a click, and previewed;
    // other lines are only marked, as choosing a folder entry would step into it.
    const LineKind kind = list->kind(row);
    if (kind == LineKind::File)
        list->setCurrentRow(row);
    else
        list->setCurrentIndex(list->model()->index(row, 0));
    QMenu menu(list);
    menu.setObjectName(QStringLiteral("Kontextmenü"));
    for (const LineAction action : lineActions(kind))
        menu.addAction(actions_.at(action));
    menu.exec(where);
}

QString ListGestures::pathOfLine(const ListBox* list, int row) const {
    const LineKind kind = list->kind(row);
    if (kind == LineKind::File)
        return f.pathOf(list, row);
    return expandProfileShorthand(folderNamedBy(kind, list->line(row)), f.sites());
}

void ListGestures::perform(LineAction action) {
    const ListBox* list = f.shownList();
    const int row = list->currentRow();
    switch (action) {
    case LineAction::Open:
        f.mnuItemÖffnen->trigger();
        break;
    case LineAction::Print:
        f.mnuItemDrucken->trigger();
        break;
    case LineAction::Rename:
        f.mnuDateiUmbenennen->trigger();
        break;
    case LineAction::Copy:
        f.mnuDateiKopieren->trigger();
        break;
    case LineAction::Delete:
        f.mnuDateiLöschen->trigger();
        break;
    case LineAction::CopyPath:
        // Text for pasting elsewhere, as the window shows it.
        if (row >= 0 && row < list->count())
            QGuiApplication::clipboard()->setText(visibleText(pathOfLine(list, row)));
        break;
    case LineAction::ShowInFolder:
        if (list->isFile(row)) {
            const QString path = f.pathOf(list, row);
            if (f.surroundings().showInFileManager)
                f.surroundings().showInFileManager(path);
            else
                showInFileManager(path, f.surroundings().openWithShell, this);
        }
        break;
    case LineAction::OpenFolder:
        if (row >= 0 && row < list->count() && !list->isFile(row))
            f.surroundings().openWithShell(pathOfLine(list, row));
        break;
    }
}

} // namespace findolin
