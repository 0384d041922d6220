#include "Netbus.h"

#include "adaptercore/Corepaths.h"
#include "adaptercore/tsrwl.h"

#include <cerrno>
#include <cstring>

namespace {

// Long enough for a loaded manager, short enough that no call holds the library for long.
constexpr uint64_t kCallTimeoutUs = 3'000'000;
// A person reading a password prompt and typing an answer.
constexpr uint64_t kUserCallTimeoutUs = 60'000'000;

template <typename T> int ReadBasic(sd_bus_message* m, char type, NetValue& value)
{
    T x{};
    const int r = sd_bus_message_read_basic(m, type, &x);
    if (r >= 0)
        value = NetValue(x);
    return r;
}

int ReadText(sd_bus_message* m, char type, NetValue& value)
{
    const char* text = nullptr;
    const int r = sd_bus_message_read_basic(m, type, &text);
    if (r >= 0)
        value = NetValue(std::string(text ? text : ""));
    return r;
}

int ReadBytes(sd_bus_message* m, NetValue& value)
{
    const void* data = nullptr;
    size_t size = 0;
    const int r = sd_bus_message_read_array(m, 'y', &data, &size);
    if (r >= 0)
        value =
            NetValue(NetBytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size));
    return r;
}

template <typename T> int ReadArray(sd_bus_message* m, const char* element, NetValue& value)
{
    std::vector<T> items;
    int r = sd_bus_message_enter_container(m, 'a', element);
    if (r < 0)
        return r;
    while ((r = sd_bus_message_at_end(m, false)) == 0) {
        NetValue item;
        r = element[0] == 'u' ? ReadBasic<uint32_t>(m, 'u', item) : ReadText(m, element[0], item);
        if (r < 0)
            return r;
        if (const T* x = item.As<T>())
            items.push_back(*x);
    }
    if (r < 0)
        return r;
    value = NetValue(std::move(items));
    return sd_bus_message_exit_container(m);
}

// "address-data" and "nameserver-data": a list of dictionaries with an address and, for addresses, a prefix.
int ReadAddressList(sd_bus_message* m, NetValue& value)
{
    NetAddressList list;
    int r = sd_bus_message_enter_container(m, 'a', "a{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_at_end(m, false)) == 0) {
        NetProps entry;
        if ((r = CNetBus::ReadProps(m, entry)) < 0)
            return r;
        list.emplace_back(entry["address"].Text(), uint32_t(entry["prefix"].Number()));
    }
    if (r < 0)
        return r;
    value = NetValue(std::move(list));
    return sd_bus_message_exit_container(m);
}

int Dispatch(sd_bus_message* m, void* handler, sd_bus_error*)
{
    (*static_cast<CNetBus::Handler*>(handler))(m);
    return 0; // others matching the same message see it too
}

int ReadContents(sd_bus_message* m, const char* contents, NetValue& value)
{
    const std::string type = contents;
    if (type == "u")
        return ReadBasic<uint32_t>(m, 'u', value);
    if (type == "i")
        return ReadBasic<int32_t>(m, 'i', value);
    if (type == "t")
        return ReadBasic<uint64_t>(m, 't', value);
    if (type == "x") { // kept as its bit pattern: such values (LastScan) are only compared
        int64_t x = 0;
        const int r = sd_bus_message_read_basic(m, 'x', &x);
        value = NetValue(uint64_t(x));
        return r;
    }
    if (type == "y") {
        uint8_t y = 0;
        const int r = sd_bus_message_read_basic(m, 'y', &y);
        value = NetValue(uint32_t(y));
        return r;
    }
    if (type == "b") {
        int b = 0;
        const int r = sd_bus_message_read_basic(m, 'b', &b);
        value = NetValue(b != 0);
        return r;
    }
    if (type == "s" || type == "o")
        return ReadText(m, type[0], value);
    if (type == "ay")
        return ReadBytes(m, value);
    if (type == "ao" || type == "as")
        return ReadArray<std::string>(m, type.c_str() + 1, value);
    if (type == "au")
        return ReadArray<uint32_t>(m, "u", value);
    if (type == "aa{sv}")
        return ReadAddressList(m, value);
    if (type == "(uu)") { // a device's state and the reason it has it
        uint32_t state = 0, reason = 0;
        const int r = sd_bus_message_read(m, "(uu)", &state, &reason);
        value = NetValue(std::vector<uint32_t>{state, reason});
        return r;
    }
    value = NetValue();
    return sd_bus_message_skip(m, contents);
}

int WriteValue(sd_bus_message* m, const NetValue& value)
{
    struct Visitor {
        sd_bus_message* m;
        int operator()(std::monostate) const { return -EINVAL; }
        int operator()(uint32_t u) const { return sd_bus_message_append(m, "v", "u", u); }
        int operator()(int32_t i) const { return sd_bus_message_append(m, "v", "i", i); }
        int operator()(uint64_t t) const { return sd_bus_message_append(m, "v", "t", t); }
        int operator()(bool b) const { return sd_bus_message_append(m, "v", "b", int(b)); }
        int operator()(const std::string& s) const { return sd_bus_message_append(m, "v", "s", s.c_str()); }
        int operator()(const NetBytes& bytes) const
        {
            int r = sd_bus_message_open_container(m, 'v', "ay");
            if (r >= 0)
                r = sd_bus_message_append_array(m, 'y', bytes.data(), bytes.size());
            return r < 0 ? r : sd_bus_message_close_container(m);
        }
        int operator()(const std::vector<std::string>& list) const
        {
            int r = sd_bus_message_open_container(m, 'v', "as");
            if (r >= 0)
                r = sd_bus_message_open_container(m, 'a', "s");
            for (size_t i = 0; r >= 0 && i < list.size(); ++i)
                r = sd_bus_message_append_basic(m, 's', list[i].c_str());
            if (r >= 0)
                r = sd_bus_message_close_container(m);
            return r < 0 ? r : sd_bus_message_close_container(m);
        }
        int operator()(const std::vector<uint32_t>& list) const
        {
            int r = sd_bus_message_open_container(m, 'v', "au");
            if (r >= 0)
                r = sd_bus_message_append_array(m, 'u', list.data(), list.size() * sizeof(uint32_t));
            return r < 0 ? r : sd_bus_message_close_container(m);
        }
        int operator()(const NetAddressList& list) const
        {
            int r = sd_bus_message_open_container(m, 'v', "aa{sv}");
            if (r >= 0)
                r = sd_bus_message_open_container(m, 'a', "a{sv}");
            for (size_t i = 0; r >= 0 && i < list.size(); ++i)
                r = CNetBus::WriteProps(m, {{"address", list[i].first}, {"prefix", list[i].second}});
            if (r >= 0)
                r = sd_bus_message_close_container(m);
            return r < 0 ? r : sd_bus_message_close_container(m);
        }
    };
    return std::visit(Visitor{m}, value.v);
}

} // namespace

CNetBus::~CNetBus()
{
    Drop();
}

void CNetBus::Drop()
{
    if (m_bus)
        sd_bus_flush_close_unref(m_bus);
    m_bus = nullptr;
}

sd_bus* CNetBus::Bus()
{
    if (m_bus && sd_bus_is_open(m_bus) > 0)
        return m_bus;
    Drop();
    sd_bus* bus = nullptr;
    const int r = sd_bus_open_system(&bus);
    if (r < 0) {
        CoreLogOnce(std::string("the system bus cannot be reached: ") + strerror(-r));
        m_lastError = "org.freedesktop.DBus.Error.NoServer";
        return nullptr;
    }
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
    m_bus = bus;
    return m_bus;
}

bool CNetBus::Call(const std::string& path, const char* iface, const char* member, const Writer& write,
                   const Reader& read)
{
    return Send(path, iface, member, write, read, false, false);
}

bool CNetBus::CallAsUser(const std::string& path, const char* iface, const char* member, const Writer& write,
                         const Reader& read)
{
    return Send(path, iface, member, write, read, true, true);
}

bool CNetBus::LastTimedOut() const
{
    return m_lastResult == -ETIMEDOUT || m_lastError == "org.freedesktop.DBus.Error.NoReply" ||
           m_lastError == "org.freedesktop.DBus.Error.Timeout";
}

int32_t CNetBus::ServiceState()
{
    sd_bus* bus = Bus();
    if (!bus)
        return TSRWL_SERVICE_NO_BUS;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", &error, &reply, "s", Service);
    if (r >= 0)
        r = sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (r < 0) {
        Drop(); // a bus that does not answer its own question is broken
        return TSRWL_SERVICE_NO_BUS;
    }
    return owned ? TSRWL_SERVICE_READY : TSRWL_SERVICE_ABSENT;
}

bool CNetBus::Send(const std::string& path, const char* iface, const char* member, const Writer& write,
                   const Reader& read, bool asUser, bool patient)
{
    sd_bus* bus = Bus();
    if (!bus)
        return false;
    sd_bus_message* request = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(bus, &request, Service, path.c_str(), iface, member);
    if (r >= 0 && write)
        r = write(request);
    if (r >= 0 && asUser)
        r = sd_bus_message_set_allow_interactive_authorization(request, 1);
    if (r >= 0)
        r = sd_bus_call(bus, request, patient ? kUserCallTimeoutUs : kCallTimeoutUs, &error, &reply);
    if (r >= 0 && read)
        r = read(reply);
    m_lastResult = r;
    m_lastError = r >= 0 ? std::string() : error.name ? error.name : strerror(-r);
    if (r < 0) {
        CoreLogOnce(std::string(member) + " on " + path +
                    " failed: " + (error.message ? error.message : m_lastError));
        // A bus that went away leaves a dead connection: make a new one next time.
        if (r == -ECONNRESET || r == -ENOTCONN || r == -EPIPE || r == -ESHUTDOWN)
            Drop();
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(request);
    return r >= 0;
}

std::string CNetBus::SignalRule(const char* sender, const char* iface, const char* member,
                                const std::string& path, const char* arg0)
{
    std::string rule = std::string("type='signal',sender='") + sender + "',interface='" + iface +
                       "',member='" + member + "'";
    if (!path.empty())
        rule += ",path='" + path + "'";
    return arg0 ? rule + ",arg0='" + arg0 + "'" : rule;
}

CNetBus::Subscription CNetBus::Subscribe(const std::string& rule, Handler handler)
{
    sd_bus* bus = Bus();
    if (!bus)
        return {};
    auto kept = std::make_shared<Handler>(std::move(handler));
    sd_bus_slot* slot = nullptr;
    const int r = sd_bus_add_match(bus, &slot, rule.c_str(), Dispatch, kept.get());
    if (r < 0) {
        CoreLogOnce("the network manager's signals cannot be followed (" + rule + "): " + strerror(-r));
        return {};
    }
    // The slot holds the bus; the handler lives as long as the slot.
    return Subscription(slot, [kept](sd_bus_slot* s) { sd_bus_slot_unref(s); });
}

bool CNetBus::Wait(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    for (;;) {
        sd_bus* bus = Bus();
        if (!bus)
            return false;
        // Everything already in is handed out first, also what calls made since the last wait kept.
        const int r = sd_bus_process(bus, nullptr);
        if (r > 0)
            continue;
        if (done())
            return true;
        const auto left = duration_cast<microseconds>(deadline - steady_clock::now()).count();
        if (r < 0 || left <= 0)
            return false;
        if (sd_bus_wait(bus, uint64_t(left)) < 0) {
            Drop();
            return false;
        }
    }
}

std::optional<NetProps> CNetBus::GetAll(const std::string& path, const char* iface)
{
    NetProps props;
    const bool ok = Call(
        path, "org.freedesktop.DBus.Properties", "GetAll",
        [iface](sd_bus_message* m) { return sd_bus_message_append(m, "s", iface); },
        [&props](sd_bus_message* m) { return ReadProps(m, props); });
    return ok ? std::optional(std::move(props)) : std::nullopt;
}

std::optional<NetValue> CNetBus::Get(const std::string& path, const char* iface, const char* name,
                                     bool patient)
{
    NetValue value;
    const auto write = [iface, name](sd_bus_message* m) {
        return sd_bus_message_append(m, "ss", iface, name);
    };
    const auto read = [&value](sd_bus_message* m) { return ReadVariant(m, value); };
    // A read asks polkit nothing, but one that a change waits on may wait as long as the change.
    const bool ok = Send(path, "org.freedesktop.DBus.Properties", "Get", write, read, false, patient);
    return ok ? std::optional(std::move(value)) : std::nullopt;
}

bool CNetBus::SetBool(const std::string& path, const char* iface, const char* name, bool value)
{
    return CallAsUser(path, "org.freedesktop.DBus.Properties", "Set", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ssv", iface, name, "b", int(value));
    });
}

int CNetBus::ReadVariant(sd_bus_message* m, NetValue& value)
{
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, nullptr, &contents);
    if (r < 0)
        return r;
    const std::string type = contents ? contents : "";
    if ((r = sd_bus_message_enter_container(m, 'v', type.c_str())) < 0)
        return r;
    if ((r = ReadContents(m, type.c_str(), value)) < 0)
        return r;
    return sd_bus_message_exit_container(m);
}

int CNetBus::ReadProps(sd_bus_message* m, NetProps& props)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read_basic(m, 's', &key)) < 0)
            return r;
        NetValue value;
        if ((r = ReadVariant(m, value)) < 0)
            return r;
        props[key ? key : ""] = std::move(value);
        if ((r = sd_bus_message_exit_container(m)) < 0)
            return r;
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

int CNetBus::WriteProps(sd_bus_message* m, const NetProps& props)
{
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    for (auto it = props.begin(); r >= 0 && it != props.end(); ++it) {
        r = sd_bus_message_open_container(m, 'e', "sv");
        if (r >= 0)
            r = sd_bus_message_append_basic(m, 's', it->first.c_str());
        if (r >= 0)
            r = WriteValue(m, it->second);
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

int CNetBus::WriteSettings(sd_bus_message* m, const NetSettings& settings)
{
    int r = sd_bus_message_open_container(m, 'a', "{sa{sv}}");
    for (auto it = settings.begin(); r >= 0 && it != settings.end(); ++it) {
        r = sd_bus_message_open_container(m, 'e', "sa{sv}");
        if (r >= 0)
            r = sd_bus_message_append_basic(m, 's', it->first.c_str());
        if (r >= 0)
            r = WriteProps(m, it->second);
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}
