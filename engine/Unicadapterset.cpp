// Per-adapter settings, channel lists and band checks of the adapter object.
#include "Unicadapter.h"
#include "Ucumlib.h"
#include "app/Udebug.h"
#include "app/Uinifile.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "app/Uwriteproblem.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace {

// Room for the channels of all three bands; a library answering more is cut off here.
constexpr int CHANNEL_TABLE_SIZE = 512;
constexpr int DOMAIN_TEXT_MAX = 19;
// The order in which channel lists are asked for and listed.
constexpr std::array<uint32_t, 3> BAND_ORDER = {BAND_B, BAND_G, BAND_A};

int FromStore(const QVariant& value, int)
{
    bool ok = false;
    const int result = value.toString().trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error("not an integer");
    return result;
}

bool FromStore(const QVariant& value, bool)
{
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return FromStore(value, 0) != 0;
}

QString FromStore(const QVariant& value, const QString&)
{
    // An unquoted hand-written value with commas reads as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

int FromIni(const CIniFile& ini, const QString& section, const QString& key, int def)
{
    return ini.ReadInteger(section, key, def);
}

bool FromIni(const CIniFile& ini, const QString& section, const QString& key, bool def)
{
    return ini.ReadBool(section, key, def);
}

QString FromIni(const CIniFile& ini, const QString& section, const QString& key, const QString& def)
{
    return ini.ReadString(section, key, def);
}

} // namespace

template <class T> T CNICAdapter::ReadSetValue(const QString& key, const T& def, const char* form) const
{
    return ResolveSetting(key, m_Store.Value(key), def, form);
}

template <class T>
T CNICAdapter::ResolveSetting(const QString& key, const std::optional<QVariant>& stored, const T& def,
                              const char* form) const
{
    try {
        if (stored)
            return FromStore(*stored, def);
        const CIniFile* ini = g_Var.SettingsReader();
        if (!ini)
            return def;
        for (const QString& section : {m_AdapterName, QString::fromUtf8(m_DevRecord.hwId)})
            if (ini->HasKey(section, key))
                return FromIni(*ini, section, key, def);
        return FromIni(*ini, QStringLiteral("Setting"), key, def);
    } catch (const std::exception& e) {
        DebugPrint("Exception(CNICAdapter::ReadSet): %s<%s> => %s", form, qUtf8Printable(key), e.what());
    } catch (...) {
        DebugPrint("Exception(CNICAdapter::ReadSet) %s<%s>", form, qUtf8Printable(key));
    }
    return def;
}

int CNICAdapter::ReadSet(const QString& key, int def) const
{
    return ReadSetValue(key, def, "int");
}

bool CNICAdapter::ReadSet(const QString& key, bool def) const
{
    return ReadSetValue(key, def, "bool");
}

QString CNICAdapter::ReadSet(const QString& key, const QString& def) const
{
    return ReadSetValue(key, def, "string");
}

QStringList CNICAdapter::ReadSetTexts(const QStringList& keys) const
{
    const std::vector<std::optional<QVariant>> stored = m_Store.Values(keys);
    QStringList texts;
    for (qsizetype i = 0; i < keys.size(); ++i)
        texts << ResolveSetting(keys[i], stored[size_t(i)], QString(), "string");
    return texts;
}

void CNICAdapter::StoreUpdate(const QList<QPair<QString, QVariant>>& values, const QStringList& removed)
{
    QString error;
    if (m_Store.Update(values, removed, error)) {
        m_StoreFailing = false;
        return;
    }
    if (m_StoreFailing.exchange(true))
        return;
    ReportWriteProblem(m_Store.FilePath());
    const QString key = values.isEmpty() ? removed.value(0) : values.first().first;
    if (values.isEmpty())
        DebugPrint("SetDeleteKey <%s> exception: %s", qUtf8Printable(key), qUtf8Printable(error));
    else
        DebugPrint("WriteSet(int) %s exception: %s", qUtf8Printable(key), qUtf8Printable(error));
}

void CNICAdapter::WriteSet(const QString& key, int value)
{
    StoreUpdate({{key, value}}, {});
}

void CNICAdapter::WriteSet(const QString& key, bool value)
{
    StoreUpdate({{key, int(value)}}, {});
}

void CNICAdapter::WriteSet(const QString& key, const QString& value)
{
    StoreUpdate({{key, value}}, {});
}

void CNICAdapter::SetDeleteKey(const QString& key)
{
    StoreUpdate({}, {key});
}

void CNICAdapter::ReadAllowedChannels()
{
    CTSLibLock lock(m_Stop);
    if (!lock)
        return;
    ReadChannelTable(g_TSLib.TSRWL_GetAllowedChannel, m_StaChannels);
    ReadChannelTable(g_TSLib.TSRWL_GetAPAllowedChannel, m_APChannels);
}

void CNICAdapter::ReadChannelTable(AllowedChannelFunc query, TBandChannels& target) const
{
    const uint32_t bands = ModeToBands(m_SupportMode);
    const QByteArray domain = Utf8Left(m_Domain, DOMAIN_TEXT_MAX);
    // The library is given no size: it writes into room for the channels of all three bands.
    int32_t table[CHANNEL_TABLE_SIZE] = {};
    int count = 0;
    for (size_t i = 0; i < BAND_ORDER.size(); ++i) {
        const uint32_t band = BAND_ORDER[i];
        target[i].clear();
        if (!(bands & band) || count >= CHANNEL_TABLE_SIZE)
            continue;
        const int added = query(table + count, int32_t(band), domain.constData());
        if (added > CHANNEL_TABLE_SIZE - count)
            DebugPrint("CNICAdapter: %d channels for band %u cut to %d", added, band,
                       CHANNEL_TABLE_SIZE - count);
        const int kept = std::clamp(added, 0, CHANNEL_TABLE_SIZE - count);
        target[i].assign(table + count, table + count + kept);
        count += kept;
    }
}

int CNICAdapter::CopyChannels(const TBandChannels& table, int32_t* out, int capacity, uint32_t bandFilter)
{
    std::vector<int32_t> channels;
    for (size_t i = 0; i < BAND_ORDER.size(); ++i)
        if (bandFilter & BAND_ORDER[i])
            channels.insert(channels.end(), table[i].begin(), table[i].end());
    const int count = int(channels.size());
    if (out && count <= capacity)
        std::copy(channels.begin(), channels.end(), out);
    return count;
}

int CNICAdapter::GetAllowedCh(int32_t* out, int capacity, uint32_t bandFilter) const
{
    DebugPrint("CNICAdapter::GetAllowedCh()");
    return CopyChannels(m_StaChannels, out, capacity, bandFilter);
}

int CNICAdapter::GetSoftAPAllowedCh(int32_t* out, int capacity, uint32_t bandFilter) const
{
    DebugPrint("CNICAdapter::GetSoftAPAllowedCh()");
    return CopyChannels(m_APChannels, out, capacity, bandFilter);
}

bool CNICAdapter::IsBandEnable(const QString& key)
{
    DebugPrint("CNICAdapter::IsBandEnable()");
    const bool general = ReadSet(key, true);
    return ReadSet(key + '_' + m_Domain, general);
}

uint32_t CNICAdapter::GetUsableAdHocBand(int mode)
{
    DebugPrint("CNICAdapter::GetUsableAdHocBand()");
    const uint32_t bands = ModeToBands(m_SupportMode) & ModeToBands(mode);
    uint32_t result = 0;
    if (ReadSet(QStringLiteral("EnableAdHocG"), true)) {
        if ((bands & BAND_B) && IsBandEnable(QStringLiteral("AdHocB")))
            result = BAND_B;
        if ((bands & BAND_G) && IsBandEnable(QStringLiteral("AdHocG")))
            result |= BAND_G;
    } else if ((bands & (BAND_B | BAND_G)) && IsBandEnable(QStringLiteral("AdHocB"))) {
        result = BAND_B;
    }
    if ((bands & BAND_A) && IsBandEnable(QStringLiteral("AdHocA")))
        result |= BAND_A;
    return result;
}
