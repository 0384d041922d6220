#include "Sortlv.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>

namespace {

constexpr int CAPTION_MARGIN = 5;
constexpr int ARROW_GAP = 2;
// The grey of the grid lines between rows and columns.
const QColor GRID_COLOR(0xd4, 0xd0, 0xc8);

// A header whose items the list view draws itself.
class TSortLvHeader : public QHeaderView {
public:
    explicit TSortLvHeader(TSortLv* list) : QHeaderView(Qt::Horizontal, list), m_List(list)
    {
        setSectionsClickable(true);
        setHighlightSections(false);
        setSortIndicatorShown(false);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        opt.text.clear();
        style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
        m_List->DrawHeaderItem(*painter, rect, logicalIndex);
    }

private:
    TSortLv* m_List;
};

} // namespace

TSortLv::TSortLv(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    auto* header = new TSortLvHeader(this);
    setHeader(header);
    // A header set after construction starts with its sections not clickable, which left sorting dead.
    header->setSectionsClickable(true);
    // No empty piece of header beside the last column.
    header->setStretchLastSection(true);
    // Connected before any owner can connect, so the owner's handler sees the new sort state.
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        HeaderClick(column);
        Q_EMIT ColumnClick(column);
        InvalidateHeader();
    });
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { DescribeRows(first, last); });
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) { DescribeRows(from.row(), to.row()); });
}

QString TSortLv::RowDescription(const QTreeWidgetItem* item) const
{
    QStringList parts;
    // A mark the row carries beside its colour (the active profile, the network connected to).
    if (const QString mark = item->statusTip(0); !mark.isEmpty())
        parts << mark;
    for (int c = 0; c < columnCount(); ++c) {
        // A column of pictures (a lock) is said by its tip.
        const QString value = item->text(c).isEmpty() ? item->toolTip(c) : item->text(c);
        if (value.isEmpty() || header()->isSectionHidden(c))
            continue;
        const QString caption = headerItem()->text(c);
        parts << (caption.isEmpty() ? value : QStringLiteral("%1: %2").arg(caption, value));
    }
    return parts.join(QStringLiteral(", "));
}

// The first cell carries the whole row for assistive technology; setting it raises dataChanged again, which
// stops once the text is the same.
void TSortLv::DescribeRows(int first, int last)
{
    for (int row = std::max(first, 0); row <= last && row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        const QString description = RowDescription(item);
        if (item->data(0, Qt::AccessibleTextRole).toString() != description)
            item->setData(0, Qt::AccessibleTextRole, description);
    }
}

void TSortLv::keyPressEvent(QKeyEvent* e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    QTreeWidgetItem* item = currentItem();
    if (enter && item && isSignalConnected(QMetaMethod::fromSignal(&QTreeWidget::itemDoubleClicked))) {
        Q_EMIT itemDoubleClicked(item, currentColumn());
        e->accept();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void TSortLv::paintEvent(QPaintEvent* e)
{
    QTreeWidget::paintEvent(e);
    QPainter painter(viewport());
    DrawGridLines(painter);
}

// The lines run on below the last row, so an empty list shows its grid too.
void TSortLv::DrawGridLines(QPainter& painter) const
{
    painter.setPen(GRID_COLOR);
    const int height = viewport()->height();
    const QHeaderView* head = header();
    for (int i = 0; i < head->count(); ++i) {
        if (head->isSectionHidden(i) || head->sectionSize(i) == 0)
            continue;
        const int x = head->sectionViewportPosition(i) + head->sectionSize(i) - 1;
        painter.drawLine(x, 0, x, height);
    }
    const int rowHeight = GridRowHeight();
    const int top = topLevelItemCount() > 0 ? visualItemRect(topLevelItem(0)).top() : 0;
    const int width = viewport()->width();
    for (int y = top + rowHeight - 1; y < height; y += rowHeight) {
        if (y >= 0)
            painter.drawLine(0, y, width, y);
    }
}

int TSortLv::GridRowHeight() const
{
    if (topLevelItemCount() > 0) {
        const int h = visualItemRect(topLevelItem(0)).height();
        if (h > 0)
            return h;
    }
    // An empty list spaces its lines as its rows would be.
    return std::max(iconSize().height(), fontMetrics().height()) + 2;
}

void TSortLv::InvalidateHeader()
{
    header()->viewport()->update();
}

void TSortLv::SetIncrease(bool value)
{
    if (value != m_Increase) {
        m_Increase = value;
        InvalidateHeader();
    }
}

void TSortLv::SetSortColunm(int value)
{
    if (value != m_SortColunm) {
        m_SortColunm = value;
        InvalidateHeader();
    }
}

void TSortLv::SetSkipSort1(int value)
{
    m_SkipSort1 = value;
    if (value == m_SortColunm)
        SetSortColunm(value + 1);
}

void TSortLv::SetIncBMP(const QImage& value)
{
    if (value != m_IncBMP || value.isNull() != m_IncBMP.isNull()) {
        m_IncBMP = value;
        InvalidateHeader();
    }
}

void TSortLv::SetDecBMP(const QImage& value)
{
    if (value != m_DecBMP || value.isNull() != m_DecBMP.isNull()) {
        m_DecBMP = value;
        InvalidateHeader();
    }
}

void TSortLv::HeaderClick(int column)
{
    if (column == m_SkipSort1)
        return;
    if (column == m_SortColunm)
        SetIncrease(!m_Increase);
    else
        SetSortColunm(column);
}

Qt::Alignment TSortLv::ColumnAlignment(int index) const
{
    const QVariant v = model()->headerData(index, Qt::Horizontal, Qt::TextAlignmentRole);
    const Qt::Alignment align = v.isValid() ? Qt::Alignment(v.toInt()) : Qt::AlignLeft;
    return QStyle::visualAlignment(layoutDirection(), align) & Qt::AlignHorizontal_Mask;
}

THeaderLayout TSortLv::HeaderItemLayout(const QRect& r, int index, const QSize& captionSize) const
{
    // Window-system rectangles: right and bottom exclusive.
    const int left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
    const QImage& arrow = CurrentArrow();
    THeaderLayout layout;
    int aLeft = right, aTop = top, aRight = right, aBottom = bottom;
    if (!arrow.isNull() && index == m_SortColunm) {
        aLeft = std::max(right - arrow.width() - CAPTION_MARGIN, left);
        aRight = std::min(aLeft + arrow.width(), right);
        aTop = std::max(top + (r.height() - arrow.height()) / 2, top);
        aBottom = std::min(aTop + arrow.height(), bottom);
    }
    layout.Arrow = QRect(aLeft, aTop, aRight - aLeft, aBottom - aTop);

    int tLeft = left + CAPTION_MARGIN, tRight = right - CAPTION_MARGIN, tTop = top;
    const int w = captionSize.width(), h = captionSize.height();
    const Qt::Alignment align = ColumnAlignment(index);
    if (align & Qt::AlignRight) {
        tRight = aLeft - ARROW_GAP;
    } else if (align & Qt::AlignHCenter) {
        if (aLeft < tRight - (tRight - tLeft - w) / 2 + ARROW_GAP)
            tRight = aLeft - ARROW_GAP;
    } else if (aLeft < tLeft + w + ARROW_GAP) {
        tRight = aLeft - ARROW_GAP;
    }
    tTop += (bottom - top - h) / 2;
    layout.Caption = QRect(tLeft, tTop, tRight - tLeft, bottom - tTop);
    return layout;
}

int TSortLv::CaptionWidth(int index) const
{
    const QString caption = model()->headerData(index, Qt::Horizontal, Qt::DisplayRole).toString();
    const int arrow = std::max(m_IncBMP.width(), m_DecBMP.width());
    return 2 * CAPTION_MARGIN + QFontMetrics(font()).horizontalAdvance(caption) +
           (arrow > 0 ? arrow + ARROW_GAP : 0);
}

void TSortLv::DrawHeaderItem(QPainter& painter, const QRect& r, int index) const
{
    const QRect inner = r.adjusted(CAPTION_MARGIN, 0, -CAPTION_MARGIN, 0);
    const QString caption = model()->headerData(index, Qt::Horizontal, Qt::DisplayRole).toString();
    const QFontMetrics fm(font());
    const QSize size = fm.boundingRect(inner, Qt::TextSingleLine | Qt::TextExpandTabs, caption).size();
    const THeaderLayout layout = HeaderItemLayout(r, index, size);
    if (inner.width() > 0 && inner.height() > 0 && layout.Caption.width() > 0) {
        painter.save();
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.setClipRect(layout.Caption.intersected(r));
        const QString shown = fm.elidedText(caption, Qt::ElideRight, layout.Caption.width());
        painter.drawText(layout.Caption,
                         int(ColumnAlignment(index)) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         shown);
        painter.restore();
    }
    const QImage& arrow = CurrentArrow();
    if (!arrow.isNull() && index == m_SortColunm && !layout.Arrow.isEmpty())
        painter.drawImage(layout.Arrow.topLeft(), arrow, QRect(QPoint(0, 0), layout.Arrow.size()));
}
