#pragma once

#include "controls/Imagelist.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QStringList>

// The skin: every picture and image list the forms show, held once for the whole program. The pictures are
// built in; the settings file may replace any of them by a file ("Res_Path" in section "Setting" names the
// folder beside the program, section "FormRes_TImage" maps picture names to file names there). A picture is
// read when it is first asked for, so start-up only pays for what the first page shows.
class TFormRes : public QObject {
    Q_OBJECT
public:
    explicit TFormRes(QObject* parent = nullptr);

    // The names of all pictures, in the order they are looked up in the settings file.
    static const QStringList& PictureNames();
    // The picture of that name; an empty picture for an unknown name.
    QImage Picture(const QString& name) const;

    TImageList ImgsNull{0, 22};
    TImageList ImgsSort{10, 10};
    TImageList ImgsType{44, 22};
    TImageList ImgsKeltoIcon{16, 16};
    TImageList ImgsKeltoIconXP{32, 32};

private:
    void LoadImageLists();
    void FindSkinFiles();
    QImage LoadPicture(const QString& name) const;

    QHash<QString, QString> m_SkinFiles;
    mutable QHash<QString, QImage> m_Pictures;
};

// The program's one resource form, set while it exists.
extern TFormRes* FormRes;

// A JPEG picture decoded by the JPEG library; an empty picture when the data is not a readable JPEG.
QImage DecodeJpeg(const QByteArray& data);
// A picture file of any format the toolkit reads; JPEG files go through DecodeJpeg. Empty on failure.
QImage LoadPictureFile(const QString& path);
