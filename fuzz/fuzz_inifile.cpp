// The INI reader and writer: any file is read without harm, and a section written into it reads back exactly
// as written, whatever the rest of the file holds.
#include "app/Uinifile.h"
#include "fuzzfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is an existing file, then after the first 0xFF byte the values to write, split at 0xFE.
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\xFF');
    const QByteArray old = split < 0 ? input : input.left(split);
    static const CFuzzFile file("ini");
    const QString& path = file.Path();
    file.Write(reinterpret_cast<const uint8_t*>(old.constData()), size_t(old.size()));
    {
        const CIniFile ini(path);
        for (const char* section : {"Setting", "LastApplyProf", "Message", ""})
            for (const QString& key : ini.SectionKeys(QLatin1String(section)))
                (void)ini.ReadString(QLatin1String(section), key, QString());
    }
    IniEntries entries;
    if (split >= 0)
        for (const QByteArray& value : input.mid(split + 1).split('\xFE'))
            entries.append({QStringLiteral("K%1").arg(entries.size()), QString::fromUtf8(value)});
    if (!ReplaceIniSection(path, QStringLiteral("Fuzz"), entries, true))
        return 0;
    const CIniFile ini(path);
    // A file whose other bytes are binary is refused as a whole; that is no round trip to check.
    if (!ini.Problems().isEmpty())
        return 0;
    for (const auto& [key, value] : entries)
        if (ini.ReadString(QStringLiteral("Fuzz"), key, QStringLiteral("<missing>")) != value)
            abort();
    return 0;
}
