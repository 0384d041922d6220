// Skin pictures: a JPEG or PNG file from the skin folder, decoded as the resource form decodes it.
#include "fuzzfile.h"
#include "ui/Uformres.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile file("picture");
    file.Write(data, size);
    const QImage picture = LoadPictureFile(file.Path(), TFormRes::MAX_PICTURE_PIXELS);
    if (!picture.isNull())
        (void)picture.pixel(picture.width() - 1, picture.height() - 1);
    return 0;
}
