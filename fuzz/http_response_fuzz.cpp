// The download server's reply, any bytes in pieces of any size: the judgement
// must not depend on where the pieces are cut, a finished body must be exactly
// its announced length, the sink never gets more than was announced nor any
// byte of a refused length, and nothing may read or write out of bounds. The
// first input byte chooses the cuts, and the limit the sink sets.
#include "net/HttpExchange.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Judgement {
    CHttpResponse::State state;
    HttpOutcome failure;
    uint64_t length;
    std::string body;
};

struct Sink : CBodySink {
    explicit Sink(uint64_t max) : limit(max) {}
    bool Begin(uint64_t length) override
    {
        if (begun)
            std::abort(); // one announcement per response
        begun = true;
        announced = length;
        return length <= limit;
    }
    bool Write(const char* p, size_t n) override
    {
        if (!begun || announced > limit || n == 0 || bytes.size() + n > announced)
            std::abort();
        bytes.append(p, n);
        return true;
    }
    uint64_t limit;
    bool begun = false;
    uint64_t announced = 0;
    std::string bytes;
};

Judgement Judge(const uint8_t* data, size_t size, uint8_t seed, uint64_t limit)
{
    Sink sink(limit);
    CHttpResponse response(sink);
    const char* p = reinterpret_cast<const char*>(data);
    uint32_t x = seed;
    for (size_t at = 0; at < size;) {
        size_t piece = size - at;
        if (seed) {
            x = x * 1103515245u + 12345u;
            piece = std::min<size_t>(piece, 1 + (x >> 16) % (seed < 32 ? 3 : 9000));
        }
        response.Feed(p + at, piece);
        at += piece;
    }
    response.Closed();
    Judgement j{response.GetState(), response.Failure(), response.Length(), {}};
    if (j.state == CHttpResponse::Done) {
        if (response.Received() != response.Length() || sink.bytes.size() != response.Length())
            std::abort();
        j.body = sink.bytes;
    } else if (j.state != CHttpResponse::Failed) {
        std::abort(); // a closed connection always ends the judgement
    } else if (j.failure == HttpOutcome::Refused && (!sink.begun || sink.announced <= limit || !sink.bytes.empty())) {
        std::abort();
    }
    return j;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint64_t limit = data[0] & 1 ? CHttpResponse::kMaxBody : data[0] % 64;
    const Judgement whole = Judge(data + 1, size - 1, 0, limit);
    const Judgement cut = Judge(data + 1, size - 1, data[0], limit);
    if (whole.state != cut.state || whole.failure != cut.failure || whole.body != cut.body)
        std::abort();
    return 0;
}
