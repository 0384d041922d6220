#pragma once

#include <QObject>

// The skin: every picture and image list the forms show, held once for the whole program.
class TFormRes : public QObject {
    Q_OBJECT
public:
    explicit TFormRes(QObject* parent = nullptr);
};

// The program's one resource form, set while it exists.
extern TFormRes* FormRes;
