// The least a skinned window of the main window's size costs: a bare Qt Widgets window that decodes one
// 800x480 JPEG picture with the JPEG library and draws it. bench/startup.sh measures it beside the program.
//
// With "--values N" it also shows N plain labels over the picture whose numbers change every two seconds, as
// a status page's values follow the adapter's reports: the least such a page costs idling, which
// bench/idle.sh measures beside the program.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    void paintEvent(QPaintEvent* e) override
    {
        // Only what needs painting, a rectangle at a time: one image drawn under a clip of many rectangles
        // is blended on the toolkit's worker threads.
        QPainter p(this);
        for (const QRect& r : e->region())
            p.drawImage(r, m_Picture, r);
    }

private:
    QImage m_Picture;
};

// Labels in a column on the window, each counting up by its own step every two seconds.
void AddChangingValues(QWidget* window, int count)
{
    constexpr int PERIOD_MS = 2000;
    QList<QLabel*> labels;
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(window);
        label->setGeometry(450, 100 + 25 * i, 160, 20);
        labels.append(label);
    }
    auto* timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, window, [labels, tick = qint64(0)]() mutable {
        ++tick;
        for (int i = 0; i < labels.size(); ++i)
            labels[i]->setText(QString::number(tick * (12345 + 678 * i)) + QStringLiteral(" Kbps"));
    });
    timer->start(PERIOD_MS);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool values = argc == 4 && strcmp(argv[2], "--values") == 0;
    if (argc != 2 && !values) {
        fprintf(stderr, "usage: floor PICTURE.jpg [--values N]\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        fprintf(stderr, "floor: cannot read %s\n", argv[1]);
        return 2;
    }
    FloorWindow window(Decode(file.readAll()));
    if (values)
        AddChangingValues(&window, atoi(argv[3]));
    window.show();
    return QApplication::exec();
}
