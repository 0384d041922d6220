// The nl80211 answers of the kernel, as the real-adapter library parses them.
#include "netadapter/Netradio.h"

#include <cstring>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is what follows the netlink header: the generic header and the attributes. The message's
    // buffer ends where the input does, so that reading past the last attribute is caught.
    std::vector<uint8_t> buffer(NLMSG_HDRLEN + size);
    nlmsghdr header{};
    header.nlmsg_len = uint32_t(buffer.size());
    header.nlmsg_type = 0x10;
    memcpy(buffer.data(), &header, sizeof header);
    if (size > 0)
        memcpy(buffer.data() + NLMSG_HDRLEN, data, size);
    nl_msg* msg = nlmsg_convert(reinterpret_cast<nlmsghdr*>(buffer.data()));
    if (!msg)
        return 0;
    std::vector<NetFrequency> frequencies;
    ParseWiphyFrequencies(msg, frequencies);
    (void)ChannelsOf(frequencies, 1, true);
    (void)ChannelsOf(frequencies, 2, false);
    (void)ParseWiphyIndex(msg);
    (void)ParseStationMac(msg);
    (void)ParseStationSignal(msg);
    (void)ParseRegAlpha2(msg);
    nlmsg_free(msg);
    return 0;
}
