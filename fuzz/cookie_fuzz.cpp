// The partner cookie as it comes from disk: any bytes, read through the
// bounded reader, the value taken from its second line and split into fields;
// and the tokenizer with any delimiter. Nothing may crash, read or write out
// of bounds, or loop without end.
#include "account/PartnerCookie.h"
#include "account/Tokenizer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/cookie_fuzz." + std::to_string(getpid()) + ".txt";
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(data, 1, size, f);
        fclose(f);
    }
    const CString text = ReadCookieText(path.c_str());

    CString field0, userId, field2, userName, phone;
    CString* const members[5] = {&field0, &userId, &field2, &userName, &phone};
    SplitCookieValue(CookieValueFromText(text), members);

    CTokenizer tokenizer;
    tokenizer.SetText(text);
    const CString delimiter = size ? CString(reinterpret_cast<const char*>(data), size % 3) : CString();
    for (int i = 0; i <= text.GetLength() + 1; ++i)
        tokenizer.NextToken(delimiter);
    return 0;
}
