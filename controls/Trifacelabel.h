#pragma once

#include "Ellipsislabel.h"

// The main window's page tab: a label whose text sits OffsetTop pixels down and takes one of three colours
// for the mouse states normal, over and down.
class TTrifaceLabel : public TEllipsisLabel {
    Q_OBJECT
public:
    enum MouseState { msNormal = 0, msOver = 1, msDown = 2 };
    enum ColorKind { ckNormal = 1, ckOver = 2, ckDown = 3 };

    explicit TTrifaceLabel(QWidget* parent = nullptr);

    QColor FontCrNormal() const { return m_FontCr[0]; }
    QColor FontCrOver() const { return m_FontCr[1]; }
    QColor FontCrDown() const { return m_FontCr[2]; }
    // kind 1 normal, 2 over, 3 down; any other kind changes nothing.
    void SetFontCr(int kind, const QColor& color);
    int OffsetTop() const { return m_OffsetTop; }
    void SetOffsetTop(int value);

    int MouseState() const { return m_State; }
    QColor CurrentColor() const { return m_FontCr[m_State]; }

Q_SIGNALS:
    // Any mouse button pressed on the label; the main window switches pages on it.
    void MouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void SetState(int state);
    void DrawFocus(QPainter& painter, const QRect& r) const;

    QColor m_FontCr[3];
    int m_OffsetTop = 0;
    int m_State = msNormal;
};
