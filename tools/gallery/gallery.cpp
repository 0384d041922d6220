// Puts the skinned controls on the skin in their states and writes a screenshot (see tools/CMakeLists.txt).
#include "app/Udefine.h"
#include "controls/Colorbutton.h"
#include "controls/Ellipsislabel.h"
#include "controls/Fabitmapbtn.h"
#include "controls/Sortlv.h"
#include "controls/Trifacelabel.h"
#include "controls/Wincolor.h"
#include "ui/Uformres.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <cstdio>

namespace {

QLabel* Picture(QWidget* parent, const QImage& img, int x, int y)
{
    auto* l = new QLabel(parent);
    l->setPixmap(QPixmap::fromImage(img));
    l->setGeometry(x, y, img.width(), img.height());
    return l;
}

void Hover(QWidget* w)
{
    QEnterEvent e(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QCoreApplication::sendEvent(w, &e);
}

TFABitmapBtn* Button(QWidget* page, const QString& face, int x, int y)
{
    auto* b = new TFABitmapBtn(page);
    b->SetFaces(FormRes->Picture(face));
    b->SetFacesDown(FormRes->Picture(face));
    b->SetFacesOver(FormRes->Picture(face + QStringLiteral("On")));
    b->move(x, y);
    b->SetNoFocusRect(true);
    b->SetAutoShape(true);
    return b;
}

TEllipsisLabel* Caption(QWidget* parent, const QString& text, int x, int y, int w, bool white = false)
{
    auto* l = new TEllipsisLabel(parent);
    l->setText(text);
    l->setGeometry(x, y, w, 18);
    l->SetEllipsisEnd(true);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    f.setBold(white);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, white ? QColor(Qt::white) : WinColor(7955536));
    l->setPalette(pal);
    return l;
}

void Build(QWidget& main)
{
    main.setFixedSize(FormRes->Picture(QStringLiteral("ImgMainSurvey")).size());
    Picture(&main, FormRes->Picture(QStringLiteral("ImgMainSurvey")), 0, 0);
    const char* tabs[] = {"Link Info", "Site Survey", "Profile", "Adapter"};
    for (int i = 0; i < 4; ++i) {
        auto* tab = new TTrifaceLabel(&main);
        tab->setGeometry(250 + 125 * i, 49, 125, 67);
        tab->setText(QLatin1String(tabs[i]));
        tab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(13);
        f.setBold(true);
        tab->setFont(f);
        tab->SetOffsetTop(37);
        tab->SetFontCr(1, i == 1 ? QColor(Qt::white) : WinColor(7955536));
        tab->SetFontCr(2, Qt::white);
        tab->SetFontCr(3, Qt::white);
        if (i == 3)
            Hover(tab);
    }
    auto* help = new TFABitmapBtn(&main);
    help->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnHelpN")));
    help->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnHelpH")));
    help->move(724, 9);
    help->SetAutoShape(true);
    auto* about = new TFABitmapBtn(&main);
    about->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnAboutN")));
    about->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnAboutH")));
    about->move(757, 9);
    about->SetAutoShape(true);
    Hover(about);
    Caption(&main, QStringLiteral("Copyright (C) Wireless LAN Utility. All rights reserved."), 165, 450, 500);

    auto* page = new QWidget(&main);
    page->setGeometry(155, 116, 595, 317);
    Picture(page, FormRes->Picture(QStringLiteral("ImgSurvey")), 0, 0);
    Caption(page, QStringLiteral("Available Networks"), 30, 11, 300, true);

    auto* lv = new TSortLv(page);
    lv->setGeometry(20, 44, 300, 222);
    lv->setColumnCount(4);
    lv->setHeaderLabels(
        {QString(), QStringLiteral("SSID"), QStringLiteral("Channel"), QStringLiteral("Signal")});
    for (int c = 1; c < 4; ++c)
        lv->headerItem()->setTextAlignment(c, Qt::AlignHCenter);
    const int widths[] = {46, 100, 62, 59};
    for (int c = 0; c < 4; ++c)
        lv->setColumnWidth(c, widths[c]);
    lv->setIconSize(QSize(FormRes->ImgsType.Width(), FormRes->ImgsType.Height()));
    lv->SetIncBMP(FormRes->ImgsSort.Image(0));
    lv->SetDecBMP(FormRes->ImgsSort.Image(1));
    lv->SetSkipSort1(0);
    lv->SetSortColunm(3);
    lv->SetIncrease(false);
    struct Net {
        const char* ssid;
        int ch, sig, kind;
    } nets[] = {{"HomeNet", 6, 92, 2},
                {"Cafe Guest", 1, 78, 0},
                {"office-5G-corporate-wlan", 36, 64, 2},
                {"LAN Party", 11, 41, 3},
                {"printer-direct", 6, 30, 1}};
    for (const Net& n : nets) {
        auto* item = new QTreeWidgetItem(lv);
        item->setIcon(0, FormRes->ImgsType.Icon(n.kind));
        item->setText(1, QLatin1String(n.ssid));
        item->setText(2, QString::number(n.ch));
        item->setText(3, QStringLiteral("%1%").arg(n.sig));
        for (int c = 1; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignCenter);
    }
    lv->setCurrentItem(lv->topLevelItem(0));

    Caption(page, QStringLiteral("Button states"), 355, 11, 200, true);
    const char* states[] = {"normal", "hover", "pressed", "disabled"};
    for (int i = 0; i < 4; ++i) {
        Caption(page, QLatin1String(states[i]), 470, 52 + 34 * i, 90);
        auto* b = Button(page, QStringLiteral("ImgBtnScan"), 370, 48 + 34 * i);
        if (i == 1)
            Hover(b);
        if (i == 2)
            b->setDown(true);
        if (i == 3)
            b->setEnabled(false);
    }
    Button(page, QStringLiteral("ImgBtnConnect"), 370, 200);
    Button(page, QStringLiteral("ImgBtnRefresh"), 370, 232);
    auto* light = FormRes->Picture(QStringLiteral("ImgLight")).isNull() ? nullptr : page;
    for (int i = 0; light && i < 7; ++i)
        Picture(page, FormRes->Picture(QStringLiteral("ImgLight")), 470 + 15 * (i % 7), 204);
    Picture(page, FormRes->Picture(QStringLiteral("ImgMark")), 470, 240);
    Caption(page, QStringLiteral("A caption much too long for its label"), 484, 235, 100);

    // Without faces the bitmap buttons draw as colour buttons; with focus marks they show the corners.
    auto* plain = new TColorButton(page);
    plain->setText(QStringLiteral("Plain"));
    plain->setGeometry(20, 280, 70, 24);
    auto* glyph = new TColorButton(page);
    glyph->setText(QStringLiteral("Glyph"));
    glyph->SetGlyphs(&FormRes->ImgsKeltoIcon);
    glyph->SetGlyphIndex(1);
    glyph->setGeometry(96, 280, 80, 24);
    auto* off = new TColorButton(page);
    off->setText(QStringLiteral("Disabled"));
    off->SetGlyphs(&FormRes->ImgsKeltoIcon);
    off->SetGlyphIndex(1);
    off->setEnabled(false);
    off->setGeometry(182, 280, 90, 24);
    auto* marked = new TTrifaceBtn(page);
    marked->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnSave")));
    marked->setGeometry(280, 280, 84, 24);
    marked->setDefault(true);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gallery SHOT.png\n");
        return 2;
    }
    TFormRes res;
    FormRes = &res;
    QWidget main;
    Build(main);
    main.show();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(500, &main, [&] {
        const bool ok = main.grab().save(out);
        std::printf("%s %s\n", ok ? "wrote" : "cannot write", argv[1]);
        app.exit(ok ? 0 : 1);
    });
    return app.exec();
}
