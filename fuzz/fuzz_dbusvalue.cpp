// The D-Bus value reader of the real-adapter library. A message is built from the input as a property
// dictionary (a{sv}) whose values take any of the types and nestings the input asks for, then read back.
#include "netadapter/Netbus.h"

#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <systemd/sd-bus.h>

namespace {

class CInput {
public:
    CInput(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}
    bool Empty() const { return m_Pos >= m_Size; }
    uint8_t Byte() { return Empty() ? 0 : m_Data[m_Pos++]; }
    uint32_t Word()
    {
        uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w = (w << 8) | Byte();
        return w;
    }
    std::string Text()
    {
        std::string s;
        for (uint8_t n = Byte() % 16; n > 0 && !Empty(); --n)
            s += char(Byte() % 94 + 32);
        return s;
    }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Pos = 0;
};

int AppendValue(sd_bus_message* m, CInput& in, int depth);

int AppendArray(sd_bus_message* m, CInput& in, const char* element, int depth)
{
    int r = sd_bus_message_open_container(m, 'a', element);
    for (uint8_t n = in.Byte() % 4; r >= 0 && n > 0; --n) {
        switch (element[0]) {
        case 'y': {
            const uint8_t b = in.Byte();
            r = sd_bus_message_append_basic(m, 'y', &b);
            break;
        }
        case 'u': {
            const uint32_t u = in.Word();
            r = sd_bus_message_append_basic(m, 'u', &u);
            break;
        }
        case 's':
        case 'o': {
            const std::string t = element[0] == 'o' ? "/p" + std::to_string(in.Byte()) : in.Text();
            r = sd_bus_message_append_basic(m, element[0], t.c_str());
            break;
        }
        default: // a{sv}
            r = sd_bus_message_open_container(m, 'e', "sv");
            if (r >= 0)
                r = sd_bus_message_append_basic(m, 's', in.Text().c_str());
            if (r >= 0)
                r = AppendValue(m, in, depth + 1);
            if (r >= 0)
                r = sd_bus_message_close_container(m);
        }
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

// One variant of the kind the input chooses.
int AppendValue(sd_bus_message* m, CInput& in, int depth)
{
    static const char* const kinds[] = {"u",  "i",  "t",  "b",     "s", "o", "ay",
                                        "as", "au", "ao", "a{sv}", "d", "v", "aa{sv}"};
    const char* kind = kinds[in.Byte() % (depth > 3 ? 12 : 14)];
    int r = sd_bus_message_open_container(m, 'v', kind);
    if (r < 0)
        return r;
    const std::string k = kind;
    if (k == "u" || k == "i" || k == "b") {
        const uint32_t w = k == "b" ? in.Byte() % 2 : in.Word();
        r = sd_bus_message_append_basic(m, kind[0], &w);
    } else if (k == "t") {
        const uint64_t w = (uint64_t(in.Word()) << 32) | in.Word();
        r = sd_bus_message_append_basic(m, 't', &w);
    } else if (k == "d") {
        const double d = in.Word();
        r = sd_bus_message_append_basic(m, 'd', &d);
    } else if (k == "s" || k == "o") {
        const std::string t = k == "o" ? "/p" + std::to_string(in.Byte()) : in.Text();
        r = sd_bus_message_append_basic(m, kind[0], t.c_str());
    } else if (k == "v") {
        r = AppendValue(m, in, depth + 1);
    } else if (k == "aa{sv}") {
        r = sd_bus_message_open_container(m, 'a', "a{sv}");
        for (uint8_t n = in.Byte() % 3; r >= 0 && n > 0; --n)
            r = AppendArray(m, in, "{sv}", depth + 1);
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    } else {
        r = AppendArray(m, in, kind + 1, depth);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Messages are made on a bus that has started; one end of a socket pair is enough, nothing is sent.
    static sd_bus* bus = [] {
        sd_bus* b = nullptr;
        int fds[2];
        if (sd_bus_new(&b) < 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0 ||
            sd_bus_set_fd(b, fds[0], fds[0]) < 0 || sd_bus_start(b) < 0)
            abort();
        return b;
    }();
    CInput in(data, size);
    sd_bus_message* m = nullptr;
    if (sd_bus_message_new_signal(bus, &m, "/fuzz", "org.example.Fuzz", "Changed") < 0)
        return 0;
    int r = AppendArray(m, in, "{sv}", 0);
    if (r >= 0)
        r = sd_bus_message_seal(m, 1, 0);
    if (r >= 0 && sd_bus_message_rewind(m, 1) >= 0) {
        NetProps props;
        CNetBus::ReadProps(m, props);
        for (const auto& [key, value] : props) {
            (void)value.Number();
            (void)value.Text();
        }
    }
    sd_bus_message_unref(m);
    return 0;
}
