#include "app/Udefine.h"
#include "testutil.h"
#include "ui/Uformres.h"
#include "ui/Upicturefetch.h"
#include "ui/pages/Upageskin.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utility>

using testutil::WriteFile;

namespace {

QByteArray JpegOf(const QImage& img)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 95);
    return data;
}

QImage Solid(int w, int h, const QColor& c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A progressive JPEG of a few hundred bytes whose frame header claims the given size; empty when the writer
// made no progressive frame.
QByteArray ProgressiveJpegClaiming(int width, int height)
{
    QByteArray data;
    QBuffer buffer(&data);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    const qsizetype sof = writer.write(Solid(16, 16, Qt::green)) ? data.indexOf("\xFF\xC2") : -1;
    if (sof < 0)
        return {};
    data[sof + 5] = char(height >> 8);
    data[sof + 6] = char(height & 0xff);
    data[sof + 7] = char(width >> 8);
    data[sof + 8] = char(width & 0xff);
    return data;
}

// A skin folder beside a fake executable "prog" in a temporary folder, read into the global settings.
class FormResTest : public ::testing::Test {
protected:
    void Read(const QByteArray& settings)
    {
        WriteFile(m_Dir.filePath("prog.bin"), settings);
        g_Var.ReadFiles(m_Dir.filePath("prog"));
    }
    void TearDown() override { g_Var.ReadFiles(m_Dir.filePath("none")); }
    QTemporaryDir m_Dir;
};

} // namespace

TEST(FormRes, EveryPictureAndListIsBuiltIn)
{
    TFormRes res;
    EXPECT_EQ(TFormRes::PictureNames().size(), 18 + 12 + 42);
    for (const QString& name : TFormRes::PictureNames())
        EXPECT_FALSE(res.Picture(name).isNull()) << qPrintable(name);
    EXPECT_TRUE(res.Picture(QStringLiteral("ImgNoSuch")).isNull());
    // The main window and its pages are sized by their backgrounds.
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).size(), QSize(800, 480));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgFrLink")).size(), QSize(595, 317));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgAboutBG")).size(), QSize(386, 278));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgChartBG")).size(), QSize(540, 317));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgBtnActnow")).size(), QSize(97, 21));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgBtnHelpN")).size(), QSize(27, 31));
    struct List {
        const TImageList& list;
        int w, h, count;
    } lists[] = {
        {res.ImgsNull, 0, 22, 0},       {res.ImgsSort, 10, 10, 2},        {res.ImgsType, 44, 22, 4},
        {res.ImgsKeltoIcon, 16, 16, 3}, {res.ImgsKeltoIconXP, 32, 32, 3},
    };
    for (const List& l : lists) {
        EXPECT_EQ(l.list.Width(), l.w);
        EXPECT_EQ(l.list.Height(), l.h);
        EXPECT_EQ(l.list.Count(), l.count);
    }
}

TEST(FormRes, ButtonFacesAreKeyedOutsideTheirShape)
{
    TFormRes res;
    const QImage face = res.Picture(QStringLiteral("ImgBtnScan"));
    EXPECT_EQ(face.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_NE(face.pixelColor(face.width() / 2, face.height() / 2), QColor(255, 0, 255));
}

TEST(Jpeg, DecodedByLibraryKeepsSizeAndColour)
{
    const QImage src = Solid(123, 45, QColor(200, 100, 50));
    const QImage img = DecodeJpeg(JpegOf(src));
    ASSERT_EQ(img.size(), src.size());
    ASSERT_EQ(img.format(), QImage::Format_RGB32);
    EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(img.constScanLine(20))[60]), 255) << "opaque as stored";
    const QColor c = img.pixelColor(60, 20);
    EXPECT_NEAR(c.red(), 200, 4);
    EXPECT_NEAR(c.green(), 100, 4);
    EXPECT_NEAR(c.blue(), 50, 4);
    const QImage gray = DecodeJpeg(JpegOf(src.convertToFormat(QImage::Format_Grayscale8)));
    EXPECT_EQ(gray.size(), src.size());
}

TEST(Jpeg, ProgressivePictureClaimingAHugeSizeIsRefusedBeforeAnyAllocation)
{
    ASSERT_FALSE(ProgressiveJpegClaiming(16, 16).isEmpty()) << "a progressive frame header";
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    // Within the old side limit, but the decoder would hold 1.5 GB of coefficients and the picture 1 GB.
    for (const auto& [width, height] : {std::pair{16000, 16000}, {65000, 65000}, {65000, 1}})
        EXPECT_TRUE(DecodeJpeg(ProgressiveJpegClaiming(width, height)).isNull()) << width << "x" << height;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "kilobytes more at the peak";
}

TEST(Jpeg, BrokenDataGivesNoPicture)
{
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("\xFF\xD8 not a picture")).isNull());
    // A cut-off file decodes as far as it goes (the rest stays grey), like the library's own viewers show it.
    const QByteArray good = JpegOf(Solid(64, 64, Qt::blue));
    const QImage cut = DecodeJpeg(good.left(good.size() / 2));
    EXPECT_TRUE(cut.isNull() || cut.size() == QSize(64, 64));
}

TEST_F(FormResTest, FetchedPicturesAreTakenOnce)
{
    const QString good = m_Dir.filePath("good.png");
    const QString broken = m_Dir.filePath("broken.png");
    Solid(5, 4, Qt::green).save(good);
    WriteFile(broken, "not a picture");
    {
        CPictureFetch fetch({{"Broken", broken}, {"Good", good}, {"Missing", m_Dir.filePath("none.png")}});
        EXPECT_FALSE(fetch.Take(QStringLiteral("Unlisted")));
        const std::optional<QImage> picture = fetch.Take(QStringLiteral("Good"));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->pixelColor(2, 2), QColor(Qt::green));
        EXPECT_FALSE(fetch.Take(QStringLiteral("Good"))) << "a picture is handed out once";
        const std::optional<QImage> unreadable = fetch.Take(QStringLiteral("Broken"));
        ASSERT_TRUE(unreadable);
        EXPECT_TRUE(unreadable->isNull());
    }
    // Ended while still decoding, with pictures nobody took: nothing is left running.
    for (int i = 0; i < 20; ++i)
        CPictureFetch({{"Link", QStringLiteral(":/skin/ImgFrLink.jpg")},
                       {"Main", QStringLiteral(":/skin/ImgMainInfo.jpg")}});
    Read("[Setting]\n");
    const TFormRes res;
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).size(), QSize(800, 480));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).cacheKey(),
              res.Picture(QStringLiteral("ImgMainInfo")).cacheKey())
        << "a fetched picture is kept like any other";
}

TEST_F(FormResTest, SkinFilesReplacePictures)
{
    const TFormRes builtIn;
    QDir(m_Dir.path()).mkdir("myskin");
    WriteFile(m_Dir.filePath("myskin/bg.jpg"), JpegOf(Solid(300, 200, Qt::red)));
    Solid(7, 7, Qt::green).save(m_Dir.filePath("myskin/mark.bmp"));
    WriteFile(m_Dir.filePath("myskin/broken.png"), "not a picture");
    Read("[Setting]\nRes_Path=myskin\n[FormRes_TImage]\nImgMainInfo=bg.jpg\nImgMark=mark.bmp\n"
         "ImgLight=missing.png\nImgBtnScan=broken.png\n");
    TFormRes res;
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).size(), QSize(300, 200));
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMark")).pixelColor(3, 3), QColor(Qt::green));
    for (const char* kept : {"ImgLight", "ImgBtnScan", "ImgFrLink"})
        EXPECT_EQ(res.Picture(QLatin1String(kept)).size(), builtIn.Picture(QLatin1String(kept)).size())
            << kept;
    EXPECT_EQ(res.Picture(QStringLiteral("ImgLight")), builtIn.Picture(QStringLiteral("ImgLight")));
}

TEST_F(FormResTest, MissingSkinFolderKeepsBuiltInPictures)
{
    Read("[Setting]\nRes_Path=nowhere\n[FormRes_TImage]\nImgMainInfo=bg.jpg\n");
    TFormRes res;
    EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).size(), QSize(800, 480));
}

TEST_F(FormResTest, SkinFileIsReadWhenThePictureIsFirstWanted)
{
    QDir(m_Dir.path()).mkdir("myskin");
    const QString link = m_Dir.filePath("myskin/link.jpg");
    const QString survey = m_Dir.filePath("myskin/survey.jpg");
    WriteFile(link, JpegOf(Solid(300, 200, Qt::red)));
    WriteFile(survey, JpegOf(Solid(300, 200, Qt::red)));
    Read("[Setting]\nRes_Path=myskin\n[FormRes_TImage]\nImgFrLink=link.jpg\nImgSurvey=survey.jpg\n");
    TFormRes res;
    WriteFile(link, "no longer a picture");
    EXPECT_EQ(res.Picture(QStringLiteral("ImgFrLink")).size(), QSize(595, 317))
        << "an unreadable skin file falls back to the built-in picture";

    FormRes = &res;
    QWidget page;
    auto* background = new QLabel(&page);
    background->setGeometry(0, 0, 300, 200);
    SetPageBackground(background, QStringLiteral("ImgSurvey"));
    WriteFile(survey, JpegOf(Solid(300, 200, Qt::blue)));
    page.show();
    const auto shown = [&] { return background->grab().toImage().pixelColor(150, 100); };
    EXPECT_LT(qAbs(shown().blue() - 255) + shown().red(), 16) << "the picture is read when the page shows";
    SetPageBackground(background, QStringLiteral("ImgFrLink"));
    EXPECT_EQ(shown(), res.Picture(QStringLiteral("ImgFrLink")).pixelColor(150, 100))
        << "a visible label changes at once";
    FormRes = nullptr;
}

TEST_F(FormResTest, PicturesWithWordsFollowTheLanguageOfTheTexts)
{
    TFormRes english;
    const QImage scan = english.Picture(QStringLiteral("ImgBtnScan"));
    const QImage title = english.Picture(QStringLiteral("ImgMainInfo"));
    const QImage mark = english.Picture(QStringLiteral("ImgMark"));
    const struct {
        const char* pictures;
        bool german;
    } cases[] = {
        {"de", true},       {"en", false},    {"fr", false}, // no set of its own: the English one
        {"../skin", false}, {"de/..", false},
    };
    for (const auto& c : cases) {
        WriteFile(m_Dir.filePath("prog.ini"), QByteArray("[Skin]\nPictures=") + c.pictures + "\n");
        Read("[Setting]\n");
        TFormRes res;
        EXPECT_EQ(res.Picture(QStringLiteral("ImgBtnScan")) != scan, c.german) << c.pictures;
        EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")) != title, c.german) << c.pictures;
        EXPECT_EQ(res.Picture(QStringLiteral("ImgBtnScan")).size(), scan.size()) << c.pictures;
        EXPECT_EQ(res.Picture(QStringLiteral("ImgMark")), mark) << "a picture without words has one set";
    }
}

// 18 picture names mapped to a small JPEG that claims 6300 x 6300 took 504 MB at start and 2.5 GB after six
// pages, the decoded pictures all kept; with every picture at the size allowed for one, the program still
// grew by 173 MB, since widgets keep copies beside the cache. The skin's files together stay within half the
// budget, which leaves the other half for the widgets' copies; the rest is built in.
TEST_F(FormResTest, DecodedPicturesStayWithinTheBudget)
{
    QDir(m_Dir.path()).mkdir("myskin");
    WriteFile(m_Dir.filePath("myskin/big.jpg"), JpegOf(Solid(1800, 1800, Qt::red)));
    Solid(2100, 2100, Qt::blue).save(m_Dir.filePath("myskin/huge.png"));
    WriteFile(m_Dir.filePath("myskin/claims.jpg"), ProgressiveJpegClaiming(6300, 6300));
    QByteArray settings = "[Setting]\nRes_Path=myskin\n[FormRes_TImage]\n";
    const QStringList jpegs = TFormRes::PictureNames().mid(0, 18);
    for (const QString& name : jpegs)
        settings += name.toUtf8() + "=big.jpg\n";
    settings += "ImgMark=huge.png\nImgLight=claims.jpg\n";
    const TFormRes builtIn;
    Read(settings);
    TFormRes res;
    const qint64 oneBig = Solid(1800, 1800, Qt::red).sizeInBytes();
    const int fitting = int(TFormRes::SKIN_BUDGET / oneBig);
    ASSERT_GE(fitting, 2);
    for (int i = 0; i < jpegs.size(); ++i) {
        const QSize expected = i < fitting ? QSize(1800, 1800) : builtIn.Picture(jpegs[i]).size();
        EXPECT_EQ(res.Picture(jpegs[i]).size(), expected) << qPrintable(jpegs[i]);
        EXPECT_LE(res.CachedBytes(), TFormRes::CACHE_BUDGET) << qPrintable(jpegs[i]);
        EXPECT_LE(res.SkinBytes(), TFormRes::SKIN_BUDGET) << qPrintable(jpegs[i]);
    }
    for (const char* refused : {"ImgMark", "ImgLight"})
        EXPECT_EQ(res.Picture(QLatin1String(refused)).size(), builtIn.Picture(QLatin1String(refused)).size())
            << refused << ": too large a picture is not decoded";
    for (int i = 0; i < jpegs.size(); ++i)
        res.Picture(jpegs[i]);
    EXPECT_EQ(res.Picture(jpegs.front()).size(), QSize(1800, 1800))
        << "a dropped picture is read again, not charged twice";
    EXPECT_EQ(res.SkinBytes(), fitting * oneBig);
}

// A FIFO as a skin picture hung the window thread for good (SIGTERM ignored); Res_Path=../../../../../dev
// with "zero" read until memory ran out. Only regular files within the program's or the user's folder are
// read; anything else leaves the built-in picture.
TEST_F(FormResTest, SkinFilesFromOutsideOrOfTheWrongKindAreRefused)
{
    const QByteArray oldHome = qgetenv("HOME");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QDir(home.path()).mkdir("skin");
    QDir(m_Dir.path()).mkdir("myskin");
    QTemporaryDir elsewhere;
    const QByteArray picture = JpegOf(Solid(300, 200, Qt::red));
    WriteFile(home.filePath("skin/bg.jpg"), picture);
    WriteFile(m_Dir.filePath("myskin/bg.jpg"), picture);
    WriteFile(elsewhere.filePath("bg.jpg"), picture);
    ASSERT_EQ(mkfifo(QFile::encodeName(m_Dir.filePath("myskin/fifo.jpg")).constData(), 0600), 0);
    QFile::link(QStringLiteral("/dev/zero"), m_Dir.filePath("myskin/zero.jpg"));
    QFile::link(elsewhere.filePath("bg.jpg"), m_Dir.filePath("myskin/away.jpg"));
    const QString up = QStringLiteral("../").repeated(QDir::cleanPath(m_Dir.path()).count('/'));
    const QString toElsewhere = up + elsewhere.path().mid(1);
    const struct {
        QString resPath;
        QString file;
        bool taken;
    } cases[] = {
        {"myskin", "bg.jpg", true},
        {up + home.path().mid(1) + "/skin", "bg.jpg", true},
        {"myskin", "fifo.jpg", false},
        {"myskin", "zero.jpg", false},
        {up + "dev", "zero", false},
        {toElsewhere, "bg.jpg", false},
        {"myskin", "away.jpg", false},
        {"myskin", "../../" + QFileInfo(elsewhere.path()).fileName().toLatin1() + "/bg.jpg", false},
    };
    const TFormRes builtIn;
    for (const auto& c : cases) {
        Read("[Setting]\nRes_Path=" + c.resPath.toUtf8() +
             "\n[FormRes_TImage]\nImgMainInfo=" + c.file.toUtf8() + "\n");
        const TFormRes res;
        EXPECT_EQ(res.Picture(QStringLiteral("ImgMainInfo")).size(),
                  c.taken ? QSize(300, 200) : builtIn.Picture(QStringLiteral("ImgMainInfo")).size())
            << qPrintable(c.resPath) << " " << qPrintable(c.file);
    }
    qputenv("HOME", oldHome);
}
