#pragma once

#include <QObject>

class QAbstractButton;
class QLabel;

// Makes a caption label act as part of the check box or radio button it names: a click on the caption is a
// click on the box and gives it the focus, as with a box that carries its own caption.
class TCaptionClick : public QObject {
    Q_OBJECT
public:
    // Installs itself on `caption` (once; a second call changes nothing) for `box`.
    static void Attach(QLabel* caption, QAbstractButton* box);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TCaptionClick(QLabel* caption, QAbstractButton* box);

    QAbstractButton* m_Box;
};
