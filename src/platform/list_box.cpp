#include "platform/list_box.h"

#include <QApplication>
#include <QStyledItemDelegate>

namespace findolin {
namespace {

// The size of a row that shows `text`, as the list's style draws it (margins included).
QSize rowSizeFor(const QStyleOptionViewItem& base, const QWidget* list, const QString& text) {
    QStyleOptionViewItem option = base;
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    const QStyle* style = list ? list->style() : QApplication::style();
    return style->sizeFromContents(QStyle::CT_ItemViewItem, &option, {}, list);
}

} // namespace

int LinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(lines_.size());
}

QVariant LinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
        return lines_[index.row()];
    return {};
}

void LinesModel::setLines(QStringList lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

void LinesModel::append(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    beginInsertRows({}, int(lines_.size()), int(lines_.size() + lines.size() - 1));
    lines_ += lines;
    endInsertRows();
}

void LinesModel::replace(int row, const QString& line) {
    if (row < 0 || row >= lines_.size())
        return;
    lines_[row] = line;
    Q_EMIT dataChanged(index(row), index(row));
}

void LinesModel::remove(int row) {
    if (row < 0 || row >= lines_.size())
        return;
    beginRemoveRows({}, row, row);
    lines_.removeAt(row);
    endRemoveRows();
}

// Gives every row the same size: the height of one line of text, and a width set from outside
// (the widest line's), which the list view takes as its horizontal scroll range.
class UniformRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {rowWidth, rowSizeFor(option, option.widget, QStringLiteral("Xg")).height()};
    }

    int rowWidth = 0;
};

ListBox::ListBox(QWidget* parent)
    : QListView(parent), model_(new LinesModel(this)), delegate_(new UniformRowDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);
}

void ListBox::setLines(QStringList lines) {
    model_->setLines(std::move(lines));
}

int ListBox::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ListBox::setCurrentRow(int row) {
    setCurrentIndex(model_->index(row));
}

void ListBox::fitScrollWidthToLines() {
    const QFontMetrics metrics(font());
    int widestRow = -1;
    int widest = -1;
    for (int row = 0; row < count(); ++row) {
        const int width = metrics.horizontalAdvance(lines()[row]);
        if (width > widest) {
            widest = width;
            widestRow = row;
        }
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    delegate_->rowWidth = widestRow < 0 ? 0 : rowSizeFor(option, this, line(widestRow)).width();
    scheduleDelayedItemsLayout();
}

int ListBox::scrollWidth() const {
    return delegate_->rowWidth;
}

int ListBox::rowHeight() const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return rowSizeFor(option, this, QStringLiteral("Xg")).height();
}

} // namespace findolin
