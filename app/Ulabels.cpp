#include "Ulabels.h"
#include "Udefine.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace {

enum CommonIndex : size_t {
    CT_UNKNOWN = 0,
    CT_GHZ = 4,
    CT_AUTO = 5,
    CT_ENCRYPT_NONE = 28,
    CT_ENCRYPT_WEP = 29,
    CT_ENCRYPT_WPA_PSK = 30,
    CT_ENCRYPT_WPA = 31,
    CT_ENCRYPT_WPA2_PSK = 34,
    CT_ENCRYPT_WPA2 = 35,
    CT_ENCRYPT_WPA_WPA2_PSK = 36,
    CT_ENCRYPT_WPA_WPA2 = 37,
    CT_802B = 64,
    CT_802G = 65,
    CT_802A = 66,
};

const QString& Common(size_t index)
{
    return g_Var.CommonTexts[index];
}

// Site security codes come in families of six (x0 to x5) plus a pass-phrase-only code per family.
size_t SiteSecurityIndex(uint32_t code)
{
    if (code == 0)
        return CT_ENCRYPT_NONE;
    if (code == 1)
        return CT_ENCRYPT_WEP;
    if (code == 99)
        return CT_ENCRYPT_WPA_PSK;
    if (code == 199)
        return CT_ENCRYPT_WPA2_PSK;
    if (code == 1099)
        return CT_ENCRYPT_WPA_WPA2_PSK;
    struct Family {
        uint32_t first;
        size_t index;
    };
    static const Family families[] = {
        {10, CT_ENCRYPT_WPA},       {20, CT_ENCRYPT_WPA_PSK},    {110, CT_ENCRYPT_WPA2},
        {120, CT_ENCRYPT_WPA2_PSK}, {1010, CT_ENCRYPT_WPA_WPA2}, {1020, CT_ENCRYPT_WPA_WPA2_PSK},
    };
    for (const Family& f : families)
        if (code >= f.first && code <= f.first + 5)
            return f.index;
    return CT_UNKNOWN;
}

// In the number format of the texts' language: "2,4 GHz" in German.
QString Frequency(double gigahertz)
{
    return QLocale(g_Var.Language).toString(gigahertz) + ' ' + Common(CT_GHZ);
}

} // namespace

QString SecurityText(int method)
{
    return method >= 0 && method <= 7 ? Common(CT_ENCRYPT_NONE + size_t(method)) : QString();
}

QString SiteSecurityText(uint32_t code)
{
    return Common(SiteSecurityIndex(code));
}

uint32_t ModeToBands(int mode)
{
    switch (mode) {
    case 1:
    case 21:
        return BAND_B;
    case 2:
        return BAND_A;
    case 3:
        return BAND_G;
    case 11:
        return BAND_B | BAND_G;
    case 12:
        return BAND_A | BAND_G;
    case 13:
        return BAND_A | BAND_B;
    case 14:
        return BAND_A | BAND_B | BAND_G;
    case 22:
        return BAND_A_EXTRA | BAND_A;
    case 23:
        return BAND_G_EXTRA | BAND_G;
    case 31:
        return BAND_G_EXTRA | BAND_B | BAND_G;
    case 32:
        return BAND_A_EXTRA | BAND_G_EXTRA | BAND_A | BAND_G;
    case 33:
        return BAND_A_EXTRA | BAND_A | BAND_B;
    default:
        return BAND_A_EXTRA | BAND_G_EXTRA | BAND_A | BAND_B | BAND_G;
    }
}

int BandsToMode(uint32_t bands)
{
    const bool extraA = bands & BAND_A_EXTRA;
    const bool extraG = bands & BAND_G_EXTRA;
    switch (bands & 0xFF) {
    case 1:
        return 1;
    case 2:
        return extraA ? 22 : 2;
    case 3:
        return extraA ? 33 : 13;
    case 4:
        return extraG ? 23 : 3;
    case 5:
        return extraG ? 31 : 11;
    case 6:
        return extraA || extraG ? 32 : 12;
    case 7:
        return extraA || extraG ? 34 : 14;
    default:
        return 34;
    }
}

QString BandListText(int mode)
{
    const uint32_t bands = ModeToBands(mode);
    QStringList parts;
    if (bands & (BAND_B | BAND_G))
        parts << Frequency(2.4);
    if (bands & BAND_A)
        parts << Frequency(5);
    return parts.join(QStringLiteral(" + "));
}

QString ModeText(int mode, bool showStandard)
{
    const uint32_t bands = ModeToBands(mode);
    QString text = Common(CT_AUTO);
    if (showStandard) {
        if (bands & BAND_B)
            text = Common(CT_802B);
        if (bands & BAND_G)
            text = Common(CT_802G);
        if (bands & BAND_A)
            text = Common(CT_802A);
        return text;
    }
    if (bands & (BAND_B | BAND_G))
        text = Frequency(2.4);
    if (bands & BAND_A)
        text = Frequency(5);
    return text;
}

int SignalPercent(int dbm)
{
    const int s = dbm == 0 ? -95 : dbm;
    // Widened: a library may report any 32-bit value.
    const long long p = (static_cast<long long>(s) * 100 + 9500) / 50;
    return int(std::clamp(p, 0LL, 100LL));
}
