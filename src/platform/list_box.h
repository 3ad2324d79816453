#pragma once

#include "search/line_kind.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <functional>

class QMimeData;

namespace findolin {

// The lines of a list box. A plain string list behind a model, so that a result of a hundred
// thousand lines costs one string per line and nothing more. A result list keeps the full path of
// each line beside it, and every change takes line and path together, so they cannot drift apart.
class LinesModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Files can be dragged; header lines and folder entries cannot.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QStringList& lines() const { return lines_; }
    // Line for line with lines(), or empty when the lines are names in the file list's folder.
    const QStringList& paths() const { return paths_; }
    // Line for line with lines(); empty kinds given to a change mean files.
    const QList<LineKind>& kinds() const { return kinds_; }
    void setLines(QStringList lines, QStringList paths = {}, QList<LineKind> kinds = {});
    void append(const QStringList& lines, const QStringList& paths = {},
                const QList<LineKind>& kinds = {});
    // A renamed file: its line and path; it stays a file.
    void replace(int row, const QString& line, const QString& path = {});
    void remove(int row);

private:
    QStringList lines_;
    QStringList paths_;
    QList<LineKind> kinds_;
};

class UniformRowDelegate;

// A list box: one column of text lines, one selected at a time. All rows share one size, which
// keeps long lists fast; its width is the horizontal scroll range (see fitScrollWidthToLines).
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    const QStringList& lines() const { return model_->lines(); }
    int count() const { return int(lines().size()); }
    QString line(int row) const { return lines().value(row); }
    // The full paths of the lines, when the list keeps them (see LinesModel).
    const QStringList& paths() const { return model_->paths(); }
    bool hasPaths() const { return !paths().isEmpty(); }
    QString path(int row) const { return paths().value(row); }
    const QList<LineKind>& kinds() const { return model_->kinds(); }
    LineKind kind(int row) const { return kinds().value(row, LineKind::File); }
    bool isFile(int row) const { return row >= 0 && row < count() && kind(row) == LineKind::File; }
    void setLines(QStringList lines, QStringList paths = {}, QList<LineKind> kinds = {});
    void addLines(const QStringList& lines, const QStringList& paths = {},
                  const QList<LineKind>& kinds = {}) {
        model_->append(lines, paths, kinds);
    }
    // Adds the pending lines and empties them.
    void addLines(PendingLines& pending) {
        model_->append(pending.lines, pending.paths, pending.kinds);
        pending = {};
    }
    void replaceLine(int row, const QString& line, const QString& path = {}) {
        model_->replace(row, line, path);
    }
    void removeLine(int row) { model_->remove(row); }
    void clear() { setLines({}); }

    // The selected row, or -1.
    int currentRow() const;
    // Selects the row as the user would: `chosen` follows.
    void setCurrentRow(int row);

    // Lets the list scroll sideways exactly to the end of its widest line and no further.
    void fitScrollWidthToLines();
    // The width of the rows, in pixels: the horizontal scroll range.
    int scrollWidth() const;
    // The height of one row, in pixels.
    int rowHeight() const;

    // Lets files be dragged out of the list: `data` gives what the line carries (nothing when it
    // carries nothing). A drag begins when the button goes down on the selected file line and the
    // mouse moves; from any other line the move still drags the selection, as before.
    void setDragData(std::function<QMimeData*(int row)> data) { dragData_ = std::move(data); }
    // What dragging the line hands over; nothing when the list lets no files out.
    QMimeData* dragData(int row) const { return dragData_ ? dragData_(row) : nullptr; }

Q_SIGNALS:
    // The user chose a line: by a click (also on the line already selected), by dragging the
    // selection to it, by a key that moved the selection, or through setCurrentRow. The view's own
    // choice of a line when it gets the focus is none of these.
    void chosen(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    int widestRow() const;

    LinesModel* model_;
    UniformRowDelegate* delegate_;
    int rowBeforePress_ = -1; // the selected row when the mouse button went down
    bool clickChose_ = false; // the release was a click, which has told its line already
    std::function<QMimeData*(int row)> dragData_;
};

} // namespace findolin
