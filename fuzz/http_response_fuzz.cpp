// The download server's reply, any bytes in pieces of any size: the judgement
// must not depend on where the pieces are cut, a finished body must be exactly
// its announced length with a zero behind it, and nothing may read or write
// out of bounds. The first input byte chooses the cuts, and whether body
// bytes are fed or received straight into the body as the exchange does.
#include "HttpExchange.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>

namespace {

struct Judgement {
    CHttpResponse::State state;
    HttpOutcome failure;
    uint64_t length;
    std::string body;
};

Judgement Judge(const uint8_t* data, size_t size, uint8_t seed)
{
    CHttpResponse response;
    const char* p = reinterpret_cast<const char*>(data);
    uint32_t x = seed;
    for (size_t at = 0; at < size;) {
        size_t piece = size - at;
        if (seed) {
            x = x * 1103515245u + 12345u;
            piece = std::min<size_t>(piece, 1 + (x >> 16) % (seed < 32 ? 3 : 9000));
        }
        size_t room = 0;
        if (char* space = (seed & 1) ? response.BodySpace(room) : nullptr) {
            // The way the exchange receives body blocks: straight into the body.
            piece = std::min(piece, room);
            std::memcpy(space, p + at, piece);
            response.BodyReceived(piece);
        } else {
            response.Feed(p + at, piece);
        }
        at += piece;
    }
    response.Closed();
    Judgement j{response.GetState(), response.Failure(), response.Length(), {}};
    if (j.state == CHttpResponse::Done) {
        if (!response.Body() || response.Received() != response.Length() || response.Body()[response.Length()] != 0)
            std::abort();
        j.body.assign(response.Body(), static_cast<size_t>(response.Length()));
    } else if (j.state != CHttpResponse::Failed || response.Body()) {
        std::abort(); // a closed connection always ends the judgement, and a failure keeps no body
    }
    return j;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const Judgement whole = Judge(data + 1, size - 1, 0);
    const Judgement cut = Judge(data + 1, size - 1, data[0]);
    if (whole.state != cut.state || whole.failure != cut.failure || whole.body != cut.body)
        std::abort();
    return 0;
}
