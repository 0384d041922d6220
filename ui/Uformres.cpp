#include "Uformres.h"
#include "Upicturefetch.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uoutsidefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSysInfo>
#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

TFormRes* FormRes = nullptr;

// The pictures are compiled into a static library, whose resources must be registered by hand.
static void InitSkinResource()
{
    Q_INIT_RESOURCE(skin);
    Q_INIT_RESOURCE(skin_de);
}

namespace {

// Large backgrounds are JPEG, the rest PNG; the built-in files carry the picture's name.
const char* const JPEG_PICTURES[] = {
    "ImgMainInfo", "ImgMainSurvey", "ImgMainProfile", "ImgMainAdapter", "ImgAPInfo",  "ImgAPCfg",
    "ImgAPFilter", "ImgFrLink",     "ImgSurvey",      "ImgFrProfile",   "ImgAdapter", "ImgFrAPInfo",
    "ImgFrAPCfg",  "ImgFrAPFilter", "ImgFrProfSet",   "ImgFrActive",    "ImgAboutBG", "ImgChartBG",
};

const char* const PAGE_BUTTONS[] = {
    "ImgBtnAct",    "ImgBtnActlater",   "ImgBtnActnow",  "ImgBtnAdd",     "ImgBtnApply",  "ImgBtnBack",
    "ImgBtnBrowse", "ImgBtnCancel",     "ImgBtnChart",   "ImgBtnConnect", "ImgBtnDelete", "ImgBtnEdit",
    "ImgBtnExit",   "ImgBtnNext",       "ImgBtnRefresh", "ImgBtnSave",    "ImgBtnScan",   "ImgBtnSelect",
    "ImgBtnStart",  "ImgBtnStatistics", "ImgBtnTChart",
};

const char* const OTHER_PNG_PICTURES[] = {
    "ImgBtnHelpN",
    "ImgBtnHelpH",
    "ImgBtnAboutN",
    "ImgBtnAboutH",
    "ImgBtnEnable",
    "ImgBtnDisable",
    "ImgBtnCloseN",
    "ImgBtnCloseH",
    "ImgMark",
    "ImgLight",
    // Captionless faces for buttons whose text comes from the language file, such as the message box's.
    "ImgBtnBlank",
    "ImgBtnBlankOn",
};

// What the main window shows at start, on Link Info, in the order it asks for them.
const char* const FIRST_SHOWN[] = {
    "ImgBtnHelpN",  "ImgBtnHelpH",    "ImgBtnAboutN", "ImgBtnAboutH", "ImgBtnDisable", "ImgMainInfo",
    "ImgBtnTChart", "ImgBtnTChartOn", "ImgMark",      "ImgLight",     "ImgBtnEnable",  "ImgFrLink",
};

bool IsJpegPicture(const QString& name)
{
    for (const char* j : JPEG_PICTURES)
        if (name == QLatin1String(j))
            return true;
    return false;
}

// Pictures with words in them come in the language of the texts where the program carries a set for it;
// only a plain language code names a set.
QString BuiltInPath(const QString& name)
{
    const QString file = name + (IsJpegPicture(name) ? QStringLiteral(".jpg") : QStringLiteral(".png"));
    const QString language = g_Var.GetLangText(QStringLiteral("Skin"), QStringLiteral("Pictures"), QString());
    const bool plain = !language.isEmpty() && std::all_of(language.begin(), language.end(), [](QChar c) {
        return c.isLetter() || c == QLatin1Char('_');
    });
    const QString translated = QStringLiteral(":/skin/%1/%2").arg(language, file);
    return plain && QFile::exists(translated) ? translated : QStringLiteral(":/skin/") + file;
}

// Far more than any skin picture needs, far less than a picture that claims its size could cost.
constexpr unsigned JPEG_MAX_SIDE = 16384;
constexpr long JPEG_MEMORY_LIMIT = 512L * 1024 * 1024;

struct JpegError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
};

void JpegErrorExit(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    DebugPrint("DecodeJpeg: %s", text);
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->Jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// Decodes into *out, which is sized before any call that may fail after it. This function keeps no object
// with a destructor of its own, so the jump back from the library skips nothing that needs cleaning up.
bool DecodeJpegInto(jpeg_decompress_struct* info, JpegError* err, const QByteArray* data, uint64_t maxPixels,
                    QImage* out)
{
    info->err = jpeg_std_error(&err->Mgr);
    err->Mgr.error_exit = JpegErrorExit;
    err->Mgr.emit_message = JpegSilence;
    if (setjmp(err->Jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data->constData()),
                 (unsigned long)data->size());
    jpeg_read_header(info, TRUE);
    // The size is checked before the decoder allocates anything for the picture: for a progressive picture
    // jpeg_start_decompress allocates the whole picture's coefficients, so a few hundred bytes that claim a
    // huge picture would take all memory. The memory limit is the second line of defence.
    info->mem->max_memory_to_use = JPEG_MEMORY_LIMIT;
    if (info->image_width > JPEG_MAX_SIDE || info->image_height > JPEG_MAX_SIDE ||
        uint64_t(info->image_width) * info->image_height > maxPixels) {
        DebugPrint("DecodeJpeg: picture of %ux%u refused", info->image_width, info->image_height);
        jpeg_destroy_decompress(info);
        return false;
    }
    // Straight into the toolkit's 32-bit layout, 0xffRRGGBB: no second pass to convert. The alpha forms are
    // asked for because only they promise the top byte 0xff.
    info->out_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_start_decompress(info);
    if (info->output_components != 4) {
        jpeg_destroy_decompress(info);
        return false;
    }
    *out = QImage(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(info);
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = out->scanLine(int(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, qint64 maxPixels)
{
    if (data.isEmpty())
        return QImage();
    jpeg_decompress_struct info{};
    JpegError err{};
    QImage image;
    if (!DecodeJpegInto(&info, &err, &data, uint64_t(std::max<qint64>(maxPixels, 0)), &image))
        return QImage();
    return image;
}

QImage LoadPictureFile(const QString& path, qint64 maxPixels)
{
    QByteArray data;
    if (path.startsWith(QLatin1Char(':'))) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return QImage();
        data = f.readAll();
    } else if (ReadOutsideFile(path, TFormRes::MAX_PICTURE_FILE_BYTES, data) != OutsideFile::Ok) {
        return QImage();
    }
    if (data.startsWith("\xFF\xD8"))
        return DecodeJpeg(data, maxPixels);
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    // Told the format and not to guess, the reader takes its built-in PNG decoder; guessing, it loads every
    // picture format plugin of the system to ask each whether it can read the data.
    if (data.startsWith("\x89PNG\r\n\x1a\n")) {
        reader.setFormat("png");
        reader.setAutoDetectImageFormat(false);
    }
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels) {
        DebugPrint("LoadPictureFile: picture of %dx%d refused", size.width(), size.height());
        return QImage();
    }
    // A format whose header tells no size is bounded while it decodes, and checked once decoded.
    constexpr qint64 MEGABYTE = 1024 * 1024;
    reader.setAllocationLimit(int(std::min<qint64>(maxPixels * 4 / MEGABYTE + 1, INT_MAX)));
    const QImage picture = reader.read();
    if (qint64(picture.width()) * picture.height() > maxPixels) {
        DebugPrint("LoadPictureFile: decoded picture of %dx%d refused", picture.width(), picture.height());
        return QImage();
    }
    return picture;
}

const QStringList& TFormRes::PictureNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const char* n : JPEG_PICTURES)
            list << QLatin1String(n);
        for (const char* n : OTHER_PNG_PICTURES)
            list << QLatin1String(n);
        for (const char* n : PAGE_BUTTONS)
            list << QLatin1String(n) << QLatin1String(n) + QStringLiteral("On");
        return list;
    }();
    return names;
}

TFormRes::TFormRes(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("FormRes"));
    InitSkinResource();
    LoadImageLists();
    FindSkinFiles();
    StartFetch();
}

TFormRes::~TFormRes() = default;

// The first page's pictures are decoded while the window is built, and are ready, or nearly, when it asks for
// them. A picture the skin folder replaces is left out: its file is read when it is first asked for.
void TFormRes::StartFetch()
{
    QList<QPair<QString, QString>> files;
    for (const char* n : FIRST_SHOWN) {
        const QString name = QLatin1String(n);
        if (!m_SkinFiles.contains(name))
            files.append({name, BuiltInPath(name)});
    }
    m_Fetch = std::make_unique<CPictureFetch>(std::move(files));
}

QImage TFormRes::Picture(const QString& name) const
{
    const auto cached = m_Pictures.constFind(name);
    if (cached != m_Pictures.constEnd()) {
        m_Recent.removeOne(name);
        m_Recent << name;
        return *cached;
    }
    if (!PictureNames().contains(name)) {
        DebugPrint("TFormRes: the skin has no picture %s", qUtf8Printable(name));
        return QImage();
    }
    const std::optional<QImage> fetched = m_Fetch->Take(name);
    const QImage img = fetched && !fetched->isNull() ? *fetched : LoadPicture(name);
    Keep(name, img);
    return img;
}

void TFormRes::Keep(const QString& name, const QImage& img) const
{
    m_Pictures.insert(name, img);
    m_Recent << name;
    m_CachedBytes += img.sizeInBytes();
    // The newest stays even alone over the budget: it is about to be shown.
    while (m_CachedBytes > CACHE_BUDGET && m_Recent.size() > 1) {
        const QString oldest = m_Recent.takeFirst();
        m_CachedBytes -= m_Pictures.take(oldest).sizeInBytes();
    }
}

QImage TFormRes::LoadPicture(const QString& name) const
{
    const QString file = m_SkinFiles.value(name);
    if (!file.isEmpty()) {
        const QImage img = LoadPictureFile(file, MAX_PICTURE_PIXELS);
        if (!img.isNull() && ChargeSkinPicture(name, img))
            return img;
        if (img.isNull())
            DebugPrint("TFormRes: cannot read picture file %s for %s", qUtf8Printable(file),
                       qUtf8Printable(name));
    }
    const QImage img = LoadPictureFile(BuiltInPath(name));
    if (img.isNull())
        DebugPrint("TFormRes: built-in picture %s is missing", qUtf8Printable(name));
    return img;
}

void TFormRes::LoadImageLists()
{
    ImgsSort.AddStrip(LoadPictureFile(QStringLiteral(":/skin/ImgsSort.png")));
    ImgsType.AddStrip(LoadPictureFile(QStringLiteral(":/skin/ImgsType.png")));
    ImgsKeltoIcon.AddStrip(LoadPictureFile(QStringLiteral(":/skin/ImgsKeltoIcon.png")));
    ImgsKeltoIconXP.AddStrip(LoadPictureFile(QStringLiteral(":/skin/ImgsKeltoIconXP.png")));
}

bool TFormRes::ChargeSkinPicture(const QString& name, const QImage& img) const
{
    const qint64 charged = m_SkinCharges.value(name, 0);
    const qint64 more = std::max<qint64>(img.sizeInBytes() - charged, 0);
    if (m_SkinBytes + more > SKIN_BUDGET) {
        DebugPrint("TFormRes: the skin's pictures would take more than %lld bytes; %s is built in",
                   static_cast<long long>(SKIN_BUDGET), qUtf8Printable(name));
        return false;
    }
    m_SkinBytes += more;
    m_SkinCharges.insert(name, charged + more);
    return true;
}

namespace {

// A skin file is taken only from within the program's folder or the user's home, whatever "../" or links
// the settings name: else a setting could have a device or another user's file read as a picture.
bool IsInsideSkinRoots(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return false;
    for (const QString& root : {g_Var.ExePath, QDir::homePath()}) {
        const QString realRoot = QFileInfo(root).canonicalFilePath();
        if (!realRoot.isEmpty() && (real == realRoot || real.startsWith(realRoot + QLatin1Char('/'))))
            return true;
    }
    return false;
}

} // namespace

void TFormRes::FindSkinFiles()
{
    const QString resPath = g_Var.InfoRead(QStringLiteral("Setting"), QStringLiteral("Res_Path"), QString());
    if (resPath.isEmpty())
        return;
    const QString dir = g_Var.ExePath + resPath + QLatin1Char('/');
    if (!QFileInfo(dir).isDir())
        return;
    if (!IsInsideSkinRoots(dir)) {
        DebugPrint("TFormRes: Res_Path %s leaves the program's and the user's folders; not used",
                   qUtf8Printable(resPath));
        return;
    }
    for (const QString& name : PictureNames()) {
        const QString file = g_Var.InfoRead(QStringLiteral("FormRes_TImage"), name, QString());
        if (file.isEmpty() || !QFileInfo::exists(dir + file))
            continue;
        if (IsInsideSkinRoots(dir + file))
            m_SkinFiles.insert(name, dir + file);
        else
            DebugPrint("TFormRes: picture file %s leaves the program's and the user's folders; not used",
                       qUtf8Printable(file));
    }
}
