#include "TrustRoot.h"

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<char> ReadDer(const char* derPath)
{
    std::ifstream in(derPath, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The machine's trusted roots as the registry holds them. Under Wine a
// deletion through the system store (CERT_STORE_PROV_SYSTEM) never reaches
// the registry; through the registry store it does.
HCERTSTORE OpenRoots()
{
    return ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
}

} // namespace

bool SetRootTrusted(const char* derPath, bool trusted)
{
    const std::vector<char> der = ReadDer(derPath);
    HCERTSTORE store = der.empty() ? nullptr : OpenRoots();
    if (!store)
        return false;
    PCCERT_CONTEXT cert = nullptr;
    bool done = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                   reinterpret_cast<const BYTE*>(der.data()),
                                                   static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                   &cert);
    if (done && !trusted)
        done = ::CertDeleteCertificateFromStore(cert); // frees cert
    else if (cert)
        ::CertFreeCertificateContext(cert);
    ::CertCloseStore(store, 0);
    return done;
}

bool IsRootTrusted(const char* derPath)
{
    const std::vector<char> der = ReadDer(derPath);
    PCCERT_CONTEXT cert = der.empty() ? nullptr
                                      : ::CertCreateCertificateContext(X509_ASN_ENCODING,
                                                                       reinterpret_cast<const BYTE*>(der.data()),
                                                                       static_cast<DWORD>(der.size()));
    HCERTSTORE store = cert ? OpenRoots() : nullptr;
    PCCERT_CONTEXT found =
        store ? ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr) : nullptr;
    if (found)
        ::CertFreeCertificateContext(found);
    if (store)
        ::CertCloseStore(store, 0);
    if (cert)
        ::CertFreeCertificateContext(cert);
    return found != nullptr;
}
