// Skin pictures: a JPEG or PNG file from the skin folder, decoded as the resource form decodes it; what comes
// out stays within the size allowed for one picture.
#include "fuzzfile.h"
#include "ui/Uformres.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile file("picture");
    file.Write(data, size);
    const QImage picture = LoadPictureFile(file.Path(), TFormRes::MAX_PICTURE_PIXELS);
    if (picture.isNull())
        return 0;
    if (qint64(picture.width()) * picture.height() > TFormRes::MAX_PICTURE_PIXELS)
        abort();
    (void)picture.pixel(picture.width() - 1, picture.height() - 1);
    return 0;
}
