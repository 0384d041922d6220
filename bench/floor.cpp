// The least a skinned window of the main window's size costs: a bare Qt Widgets window that decodes one
// 800x480 JPEG picture with the JPEG library and draws it. bench/startup.sh measures it beside the program.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <jpeglib.h>

namespace {

QImage Decode(const QByteArray& data)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    QImage img(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = img.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return img;
}

class FloorWindow : public QWidget {
public:
    explicit FloorWindow(QImage picture) : m_Picture(std::move(picture))
    {
        setWindowTitle(QStringLiteral("Floor"));
        setFixedSize(800, 480);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, m_Picture);
    }

private:
    QImage m_Picture;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: floor PICTURE.jpg\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        fprintf(stderr, "floor: cannot read %s\n", argv[1]);
        return 2;
    }
    FloorWindow window(Decode(file.readAll()));
    window.show();
    return QApplication::exec();
}
