#pragma once

#include "controls/Imagelist.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <memory>

class CPictureFetch;

// The skin: every picture and image list the forms show, held once for the whole program. The pictures are
// built in; the settings file may replace any of them by a file ("Res_Path" in section "Setting" names the
// folder beside the program, section "FormRes_TImage" maps picture names to file names there). A picture is
// read when it is first asked for, so start-up only pays for what the first page shows; the built-in pictures
// of the main window's first page are decoded on a thread of their own while the window is built. Decoded
// pictures are kept within a total budget: the ones used longest ago make room (the pages hidden meanwhile),
// and a picture file that claims more than a share of the budget is not decoded at all.
class TFormRes : public QObject {
    Q_OBJECT
public:
    explicit TFormRes(QObject* parent = nullptr);
    ~TFormRes() override;

    // The names of all pictures, in the order they are looked up in the settings file.
    static const QStringList& PictureNames();
    // The picture of that name; an empty picture for an unknown name.
    QImage Picture(const QString& name) const;
    // Bytes of the decoded pictures kept now.
    qint64 CachedBytes() const { return m_CachedBytes; }

    static constexpr qint64 CACHE_BUDGET = 64 * 1024 * 1024;
    // Four bytes a pixel: one picture takes at most a quarter of the budget (2048 x 2048 pixels).
    static constexpr qint64 MAX_PICTURE_PIXELS = CACHE_BUDGET / 4 / 4;
    // The decoded pictures of the skin's files, each counted once however often it is decoded again: half the
    // budget, since a widget may keep a copy of its picture (a pixmap) beside the cached one.
    static constexpr qint64 SKIN_BUDGET = CACHE_BUDGET / 2;
    // A picture file larger than a decoded picture of the largest size is not read.
    static constexpr qint64 MAX_PICTURE_FILE_BYTES = MAX_PICTURE_PIXELS * 4;
    // Bytes charged to the skin's files so far.
    qint64 SkinBytes() const { return m_SkinBytes; }

    TImageList ImgsNull{0, 22};
    TImageList ImgsSort{10, 10};
    TImageList ImgsType{44, 22};
    TImageList ImgsKeltoIcon{16, 16};
    TImageList ImgsKeltoIconXP{32, 32};

private:
    void LoadImageLists();
    void FindSkinFiles();
    void StartFetch();
    QImage LoadPicture(const QString& name) const;
    // Charges a picture decoded from the skin's files to the skin's budget; false when it does not fit.
    bool ChargeSkinPicture(const QString& name, const QImage& img) const;
    void Keep(const QString& name, const QImage& img) const;

    QHash<QString, QString> m_SkinFiles;
    mutable QHash<QString, QImage> m_Pictures;
    // The cached names, the one used longest ago first.
    mutable QStringList m_Recent;
    mutable qint64 m_CachedBytes = 0;
    mutable QHash<QString, qint64> m_SkinCharges;
    mutable qint64 m_SkinBytes = 0;
    // Last, so that its thread ends before anything it reads goes.
    std::unique_ptr<CPictureFetch> m_Fetch;
};

// The program's one resource form, set while it exists.
extern TFormRes* FormRes;

// A JPEG picture decoded by the JPEG library; an empty picture when the data is not a readable JPEG or
// claims more than `maxPixels` (checked before anything is decoded).
QImage DecodeJpeg(const QByteArray& data, qint64 maxPixels = 40'000'000);
// A picture file of any format the toolkit reads; JPEG files go through DecodeJpeg. Empty on failure, and
// for a picture that claims more than `maxPixels`.
QImage LoadPictureFile(const QString& path, qint64 maxPixels = 40'000'000);
