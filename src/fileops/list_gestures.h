#pragma once

#include "fileops/line_actions.h"

#include <QObject>
#include <QPoint>
#include <map>

class QAction;

namespace findolin {

class Form1;
class ListBox;

// The gestures of a file tool on the result lists, beside the Datei menu: a context menu on a
// line; F2, Delete and Ctrl+C on the selected line; dragging a file out; a double click that opens
// a file. File operations go through the Datei menu's own handlers, questions included. Also F1
// for the help and Ctrl+Q to quit, anywhere in the window.
class ListGestures : public QObject {
    Q_OBJECT
public:
    explicit ListGestures(Form1& form);

    void connectLists();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addWindowKeys();
    void showContextMenu(ListBox* list, int row, QPoint where);
    // Acts on the selected line of the shown list, where the context menu put the selection.
    void perform(LineAction action);
    // The full path of a file's line, or the folder a header line or folder entry names.
    QString pathOfLine(const ListBox* list, int row) const;

    Form1& f;
    std::map<LineAction, QAction*> actions_;
};

} // namespace findolin
