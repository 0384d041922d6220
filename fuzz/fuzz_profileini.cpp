// The profile's INI form: any section reads into a profile, and that profile written and read again is the
// same record byte for byte.
#include "app/Uprofile.h"
#include "fuzzfile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFile file("profile");
    const QString& path = file.Path();
    file.Write(data, size);
    WLProfile first{};
    if (!ProfFromIniFile(first, QStringLiteral("P"), path))
        return 0;
    if (!ProfToIniFile(first, QStringLiteral("Again"), path))
        return 0;
    WLProfile second{};
    if (!ProfFromIniFile(second, QStringLiteral("Again"), path) || memcmp(&first, &second, sizeof first) != 0)
        abort();
    return 0;
}
