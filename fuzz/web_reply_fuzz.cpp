// The web service's replies as they may come: any bytes as the install
// information, and any bytes, in chunks of any size, as the join reply; and
// any bytes as a cookie value put into the join target. Nothing may crash,
// read or write out of bounds, or keep more than 1023 bytes of a join reply.
//   make fuzz (or fuzz/run.sh SECONDS BUILD_DIR); seeds in fuzz/corpus/web_reply_fuzz/
#include "account/Account.h"
#include "InstallInfoMembers.h"
#include "net/WebClient.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    InstallInfoMembers m;
    m.OsKind = size ? data[0] : 0;
    ParseInstallInfo(text, m);

    // The first byte chooses the chunk size, as the network would.
    CBoundedReply reply;
    const size_t chunk = size ? data[0] % 200 + 1 : 1;
    for (size_t at = 1; at < size; at += chunk) {
        const size_t n = size - at < chunk ? size - at : chunk;
        if (!reply.Add(reinterpret_cast<const char*>(data + at), static_cast<int>(n)))
            break;
    }
    if (strlen(reply.Text()) > 1023)
        __builtin_trap();
    NumberFromReply(reply.Text());

    // Five parameters, whatever the values hold.
    const std::string target = BuildJoinTarget(text, "001A2B3C4D5E", text, text).str();
    if (std::count(target.begin(), target.end(), '&') != 4 || std::count(target.begin(), target.end(), '=') != 5 ||
        target.find_first_of(" \r\n#?", 16) != std::string::npos)
        __builtin_trap();
    return 0;
}
