#pragma once

#include <QFrame>
#include <functional>

// A panel its owner paints: while OnPaint is set it is called from the paint event (a QPainter may be opened
// on the panel there); otherwise the panel paints as a plain frame.
class TPaintPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPaintPanel(QWidget* parent = nullptr) : QFrame(parent) {}

    std::function<void(TPaintPanel*)> OnPaint;

protected:
    void paintEvent(QPaintEvent* e) override;
};
