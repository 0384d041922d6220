#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

class QLabel;

// A row of lamps that shows a level: the first Level() of Maximum() lamps show the light picture, the others
// leave the background's empty sockets visible. Assistive technology reads it as a level, "7 of 10".
class TLevelRow : public QWidget {
    Q_OBJECT
public:
    explicit TLevelRow(QWidget* parent = nullptr);

    // Makes `count` lamps `pitch` pixels apart, the first at the row's left edge, each named by
    // `nameOf`(index).
    void CreateLamps(int count, int pitch, const QPixmap& light, const std::function<QString(int)>& nameOf);
    int Level() const { return m_Level; }
    void SetLevel(int value);
    int Maximum() const { return int(m_Lamps.size()); }
    // The level in words from a pattern with %1 for the level and %2 for the maximum.
    void SetLevelFormat(const QString& value) { m_LevelFormat = value; }
    QString LevelText() const;

private:
    QList<QLabel*> m_Lamps;
    QPixmap m_Light;
    int m_Level = 0;
    QString m_LevelFormat;
};
