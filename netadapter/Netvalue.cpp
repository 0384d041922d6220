#include "Netvalue.h"

uint64_t NetValue::Number(uint64_t def) const
{
    if (const auto* u = As<uint32_t>())
        return *u;
    if (const auto* i = As<int32_t>())
        return uint64_t(int64_t(*i));
    if (const auto* t = As<uint64_t>())
        return *t;
    if (const auto* b = As<bool>())
        return *b ? 1 : 0;
    return def;
}

std::string NetValue::Text() const
{
    const auto* s = As<std::string>();
    return s ? *s : std::string();
}
