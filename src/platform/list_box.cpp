#include "platform/list_box.h"

#include "platform/native_names.h"

#include <QApplication>
#include <QDrag>
#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <array>
#include <vector>

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
        return visibleText(lines_[index.row()]);
    return {};
}

Qt::ItemFlags LinesModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractListModel::flags(index);
    if (index.isValid() && kinds_.value(index.row()) == LineKind::File)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

void LinesModel::setLines(QStringList lines, QStringList paths, QList<LineKind> kinds) {
    Q_ASSERT(paths.isEmpty() || paths.size() == lines.size());
    Q_ASSERT(kinds.isEmpty() || kinds.size() == lines.size());
    beginResetModel();
    if (kinds.isEmpty())
        kinds.fill(LineKind::File, lines.size());
    lines_ = std::move(lines);
    paths_ = std::move(paths);
    kinds_ = std::move(kinds);
    endResetModel();
}

void LinesModel::append(const QStringList& lines, const QStringList& paths,
                        const QList<LineKind>& kinds) {
    if (lines.isEmpty())
        return;
    // Lines with paths go on lines with paths, names on names.
    Q_ASSERT(paths.isEmpty() ? paths_.isEmpty()
                             : (paths.size() == lines.size() && paths_.size() == lines_.size()));
    beginInsertRows({}, int(lines_.size()), int(lines_.size() + lines.size() - 1));
    Q_ASSERT(kinds.isEmpty() || kinds.size() == lines.size());
    lines_ += lines;
    paths_ += paths;
    if (kinds.isEmpty())
        kinds_.insert(kinds_.size(), lines.size(), LineKind::File);
    else
        kinds_ += kinds;
    endInsertRows();
}

void LinesModel::replace(int row, const QString& line, const QString& path) {
    if (row < 0 || row >= lines_.size())
        return;
    lines_[row] = line;
    if (!paths_.isEmpty())
        paths_[row] = path;
    Q_EMIT dataChanged(index(row), index(row));
}

void LinesModel::remove(int row) {
    if (row < 0 || row >= lines_.size())
        return;
    beginRemoveRows({}, row, row);
    lines_.removeAt(row);
    kinds_.removeAt(row);
    if (!paths_.isEmpty())
        paths_.removeAt(row);
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
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        clickChose_ = true;
        Q_EMIT chosen(index.row());
    });
}

void ListBox::setLines(QStringList lines, QStringList paths, QList<LineKind> kinds) {
    model_->setLines(std::move(lines), std::move(paths), std::move(kinds));
}

int ListBox::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ListBox::setCurrentRow(int row) {
    setCurrentIndex(model_->index(row));
    if (currentRow() >= 0)
        Q_EMIT chosen(currentRow());
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListView::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        Q_EMIT chosen(currentRow());
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    rowBeforePress_ = currentRow();
    // Only the file already chosen is dragged out: a press elsewhere chooses first, and moving on
    // drags the selection to another line.
    const int pressed = indexAt(event->position().toPoint()).row();
    setDragEnabled(dragData_ && event->button() == Qt::LeftButton && pressed >= 0 &&
                   pressed == rowBeforePress_ && isFile(pressed));
    QListView::mousePressEvent(event);
}

void ListBox::startDrag(Qt::DropActions) {
    const int row = currentRow();
    QMimeData* data = dragData(row);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(viewport()->grab(visualRect(model_->index(row))));
    // A copy, whatever the target would rather do: the file stays where it is.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

// A drag that ends on another line than it began on is no click, but it chose that line all the
// same: the line shown as selected is the one previewed.
void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    clickChose_ = false;
    QListView::mouseReleaseEvent(event);
    if (!clickChose_ && currentRow() >= 0 && currentRow() != rowBeforePress_)
        Q_EMIT chosen(currentRow());
    rowBeforePress_ = currentRow();
}

// Measuring a line exactly (text shaping) costs microseconds, which a result of a hundred thousand
// lines cannot afford. The sum of its characters' advances is within kerning of the exact width,
// so only the lines whose sum comes near the largest sum are measured exactly.
int ListBox::widestRow() const {
    const QFontMetricsF metrics(font());
    std::array<qreal, 256> latin1;
    latin1.fill(-1);
    QHash<char32_t, qreal> others;
    const auto advance = [&](char32_t c) {
        if (c < 256 && latin1[c] >= 0)
            return latin1[c];
        if (const auto known = others.constFind(c); known != others.cend())
            return *known;
        const qreal width = metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
        (c < 256 ? latin1[c] : others[c]) = width;
        return width;
    };
    std::vector<qreal> sums(count());
    qreal largest = 0;
    for (int row = 0; row < count(); ++row) {
        qreal sum = 0;
        const QString& line = lines()[row];
        for (qsizetype i = 0; i < line.size(); ++i) {
            char32_t c = line[i].unicode();
            if (line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(line[i], line[i + 1]);
                ++i;
            }
            sum += advance(c);
        }
        sums[row] = sum;
        largest = std::max(largest, sum);
    }
    const qreal slack = largest * 0.05 + 2 * metrics.averageCharWidth();
    int widest = -1;
    qreal widestWidth = -1;
    for (int row = 0; row < count(); ++row) {
        if (sums[row] < largest - slack)
            continue;
        const qreal width = metrics.horizontalAdvance(lines()[row]);
        if (width > widestWidth) {
            widestWidth = width;
            widest = row;
        }
    }
    return widest;
}

void ListBox::fitScrollWidthToLines() {
    const int widest = widestRow();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    delegate_->rowWidth = widest < 0 ? 0 : rowSizeFor(option, this, line(widest)).width();
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
