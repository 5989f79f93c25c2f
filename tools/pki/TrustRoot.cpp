#include "TrustRoot.h"

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

bool SetRootTrusted(const char* derPath, bool trusted)
{
    std::ifstream in(derPath, std::ios::binary);
    const std::vector<char> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (der.empty())
        return false;
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store)
        return false;
    PCCERT_CONTEXT cert = nullptr;
    bool done = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                   reinterpret_cast<const BYTE*>(der.data()),
                                                   static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &cert);
    if (done && !trusted)
        done = ::CertDeleteCertificateFromStore(cert); // frees cert
    else if (cert)
        ::CertFreeCertificateContext(cert);
    ::CertCloseStore(store, 0);
    return done;
}
