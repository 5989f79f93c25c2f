// OpenSSL's Blowfish, loaded at run time from the system's libcrypto, as an
// implementation independent of ours to check against.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <vector>

class BlowfishReference {
public:
    struct Key {
        unsigned int P[18];
        unsigned int S[4 * 256];
    };

    BlowfishReference()
    {
        m_lib = dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!m_lib)
            return;
        m_setKey = reinterpret_cast<SetKeyFn>(dlsym(m_lib, "BF_set_key"));
        m_ecb = reinterpret_cast<EcbFn>(dlsym(m_lib, "BF_ecb_encrypt"));
        m_cbc = reinterpret_cast<CbcFn>(dlsym(m_lib, "BF_cbc_encrypt"));
        m_cfb = reinterpret_cast<CfbFn>(dlsym(m_lib, "BF_cfb64_encrypt"));
    }
    ~BlowfishReference()
    {
        if (m_lib)
            dlclose(m_lib);
    }
    bool Loaded() const { return m_setKey && m_ecb && m_cbc && m_cfb; }

    enum Mode { ECB, CBC, CFB };
    // mode over in (whole blocks) with key and iv; decrypt only for ECB.
    std::vector<unsigned char> Run(Mode mode, const std::vector<unsigned char>& key,
                                   const std::vector<unsigned char>& in, const unsigned char iv[8] = nullptr,
                                   bool decrypt = false) const
    {
        Key schedule;
        m_setKey(&schedule, static_cast<int>(key.size()), key.data());
        std::vector<unsigned char> out(in.size());
        unsigned char chain[8] = {};
        if (iv)
            std::copy(iv, iv + 8, chain);
        const int enc = decrypt ? 0 : 1;
        if (mode == ECB) {
            for (size_t i = 0; i < in.size(); i += 8)
                m_ecb(in.data() + i, out.data() + i, &schedule, enc);
        } else if (mode == CBC) {
            m_cbc(in.data(), out.data(), static_cast<long>(in.size()), &schedule, chain, enc);
        } else {
            int num = 0;
            m_cfb(in.data(), out.data(), static_cast<long>(in.size()), &schedule, chain, &num, enc);
        }
        return out;
    }

private:
    using SetKeyFn = void (*)(Key*, int, const unsigned char*);
    using EcbFn = void (*)(const unsigned char*, unsigned char*, const Key*, int);
    using CbcFn = void (*)(const unsigned char*, unsigned char*, long, const Key*, unsigned char*, int);
    using CfbFn = void (*)(const unsigned char*, unsigned char*, long, const Key*, unsigned char*, int*, int);
    void* m_lib = nullptr;
    SetKeyFn m_setKey = nullptr;
    EcbFn m_ecb = nullptr;
    CbcFn m_cbc = nullptr;
    CfbFn m_cfb = nullptr;
};
