#include "Ulinktexts.h"
#include "adaptercore/Corecodes.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"

#include <QElapsedTimer>
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <cstring>

namespace {

// The library's fixed text buffers, larger than any name it can report.
constexpr size_t TEXT_BUFFER_SIZE = 260;
// Byte counts become kilobits by dropping 7 bits: bytes / 128 = (bits / 1024).
constexpr int KILOBIT_SHIFT = 7;
constexpr uint32_t POWER_LEVEL_MAX = 3;
const QString CONNECT_ERROR = QStringLiteral("ConnectError");

// `format` with its "%s" replaced by `args` in order, in one pass: a network name may hold "%s" itself.
QString FillArgs(const QString& format, std::initializer_list<QString> args)
{
    QString out;
    qsizetype from = 0;
    for (const QString& arg : args) {
        const qsizetype at = format.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        out += format.mid(from, at - from) + arg;
        from = at + 2;
    }
    return out + format.mid(from);
}

// The language key and English text of a reason; null for a reason that says nothing more than "failed".
std::pair<const char*, const char*> ReasonText(int reason)
{
    switch (reason) {
    case TSRWL_CONNECT_ERROR_WRONG_KEY:
        return {"WrongKey", "the network refused the key"};
    case TSRWL_CONNECT_ERROR_WRONG_SECURITY:
        return {"WrongSecurity", "the network uses another security type or cipher"};
    case TSRWL_CONNECT_ERROR_LOGIN_REFUSED:
        return {"LoginRefused", "the 802.1x login was refused"};
    case TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED:
        return {"ServerUntrusted", "the server's certificate is not trusted"};
    case TSRWL_CONNECT_ERROR_NOT_FOUND:
        return {"NotFound", "the network is not in range"};
    case TSRWL_CONNECT_ERROR_TIMEOUT:
        return {"Timeout", "the network did not answer in time"};
    default:
        return {nullptr, nullptr};
    }
}

} // namespace

QString CommonText(int index)
{
    return index >= 0 && index < COMMON_TEXT_COUNT ? g_Var.CommonTexts[size_t(index)] : QString();
}

QString NetTypeText(uint32_t networkType)
{
    return CommonText(networkType == 1 ? LT_INFRASTRUCTURE : LT_ADHOC);
}

QString DotModeText(uint32_t mode)
{
    switch (mode) {
    case 1:
        return CommonText(LT_802B);
    case 2:
        return CommonText(LT_802A);
    case 3:
        return CommonText(LT_802G);
    case 4:
        return CommonText(LT_802N);
    case 5:
        return CommonText(LT_802AC);
    case 6:
        return CommonText(LT_802AX);
    default:
        return QString();
    }
}

QString AuthModeText(uint32_t mode)
{
    switch (mode) {
    case ToCode(TsrwlAuthMode::Shared):
        return CommonText(LT_AUTHMODE_SHARE);
    case ToCode(TsrwlAuthMode::Auto):
        return CommonText(LT_AUTHMODE_AUTO);
    default:
        return CommonText(LT_AUTHMODE_OPEN);
    }
}

QString MacText(const uint8_t* mac)
{
    return QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

QString TxRateText(int rate)
{
    const QString number =
        rate % 2 ? QString::asprintf("%.1f ", rate * 0.5) : QString::asprintf("%d ", rate / 2);
    return number + CommonText(LT_MBPS);
}

QString PowerText(uint32_t level)
{
    return level <= POWER_LEVEL_MAX ? CommonText(LT_POWER_LV0 + int(level)) : QString();
}

QString SsidText(const uint8_t* ssid, uint32_t length)
{
    return BytesText(reinterpret_cast<const char*>(ssid), std::min<size_t>(length, TSRWL_SSID_MAX));
}

int ChannelOf(uint32_t frequency)
{
    return g_TSLib.IsLoaded() ? g_TSLib.TSRWL_FrequencyToChannel(int32_t(frequency)) : 0;
}

double ThroughputKbps(uint64_t oldCount, uint64_t newCount, uint32_t elapsedMs)
{
    if (newCount < oldCount || elapsedMs == 0)
        return 0;
    return double((newCount - oldCount) >> KILOBIT_SHIFT) * 1000 / elapsedMs;
}

uint32_t TickCount()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    // Started one second in, so the first reading is never the "no sample" value.
    const auto tick = uint32_t(clock.elapsed() + 1000);
    return tick ? tick : 1;
}

QString ConnectFailureText(const TConnectFailure& failure)
{
    const auto [key, text] = ReasonText(failure.Reason);
    if (!key)
        return FillArgs(g_Var.GetLangText(CONNECT_ERROR, QStringLiteral("Failed"),
                                          QStringLiteral("Could not connect to %s.")),
                        {failure.Ssid});
    return FillArgs(
        g_Var.GetLangText(CONNECT_ERROR, QStringLiteral("Reason"),
                          QStringLiteral("Could not connect to %s: %s")),
        {failure.Ssid, g_Var.GetLangText(CONNECT_ERROR, QLatin1String(key), QLatin1String(text))});
}

QString ServiceText(int state)
{
    if (state == TSRWL_SERVICE_NO_BUS)
        return g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("NoSystemBus"),
                                 QStringLiteral("No wireless adapter can be used: the system's message bus "
                                                "cannot be reached."));
    if (state == TSRWL_SERVICE_ABSENT)
        return g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("NoNetService"),
                                 QStringLiteral("No wireless adapter can be used: the system's network "
                                                "service is not running."));
    return {};
}
