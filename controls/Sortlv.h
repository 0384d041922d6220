#pragma once

#include <QImage>
#include <QTreeWidget>

class QPainter;

// Where a header item's arrow and caption go. Rectangles are in window-system form: right and bottom are
// exclusive edges.
struct THeaderLayout {
    QRect Arrow;   // empty (at the right edge) when no arrow is drawn
    QRect Caption; // the caption's rectangle after shortening for the arrow and centring vertically
};

// The report-style list of sites, profiles and stations. It remembers the sort column and direction and
// switches them when a column header is clicked (before the owner's ColumnClick handler runs), and draws a
// small arrow at the right end of the sorted column's header. Sorting itself is the owner's part. Grid lines
// separate the rows and columns, and the last column reaches the list's right edge.
class TSortLv : public QTreeWidget {
    Q_OBJECT
public:
    explicit TSortLv(QWidget* parent = nullptr);

    bool Increase() const { return m_Increase; }
    void SetIncrease(bool value);
    // Spelled so in every layout that names it.
    int SortColunm() const { return m_SortColunm; }
    void SetSortColunm(int value);
    int SkipSort1() const { return m_SkipSort1; }
    void SetSkipSort1(int value);
    const QImage& IncBMP() const { return m_IncBMP; }
    void SetIncBMP(const QImage& value);
    const QImage& DecBMP() const { return m_DecBMP; }
    void SetDecBMP(const QImage& value);

    void HeaderClick(int column);
    // Draws header item `index` into `r` (the header's coordinates).
    void DrawHeaderItem(QPainter& painter, const QRect& r, int index) const;
    // The geometry DrawHeaderItem uses for item `index` in `r` with a caption of the given size.
    THeaderLayout HeaderItemLayout(const QRect& r, int index, const QSize& captionSize) const;
    // The width column `index` needs to show its whole caption with the sort arrow beside it.
    int CaptionWidth(int index) const;
    // What a screen reader says for row `item`: each column's caption with the row's value in it.
    QString RowDescription(const QTreeWidgetItem* item) const;

Q_SIGNALS:
    // A column header was clicked; SortColunm and Increase already follow the click.
    void ColumnClick(int column);

protected:
    void paintEvent(QPaintEvent* e) override;
    // Enter on a row does what a double click on it does; a list that does nothing on a double click leaves
    // Enter to its page.
    void keyPressEvent(QKeyEvent* e) override;

private:
    const QImage& CurrentArrow() const { return m_Increase ? m_IncBMP : m_DecBMP; }
    Qt::Alignment ColumnAlignment(int index) const;
    void InvalidateHeader();
    void DrawGridLines(QPainter& painter) const;
    int GridRowHeight() const;
    void DescribeRows(int first, int last);

    bool m_Increase = true;
    int m_SortColunm = 0;
    int m_SkipSort1 = -1;
    QImage m_IncBMP;
    QImage m_DecBMP;
};
