// The publisher check. The system's verifier (WinVerifyTrust) compares the
// file's digest with the signed one and checks the signature; it says nothing
// about who signed, and Wine's has been seen to accept any root, so the
// signer's name and its way to a trusted root are checked here with crypt32.
// Both libraries come from the system folder at run time: a copy planted
// beside the program must never be loaded, and systems before Internet
// Explorer 4 have neither.
#include "net/Publisher.h"

#include "framework/SystemLibrary.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

const DWORD ENCODING = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
// Authenticode blocks are a few kilobytes; anything far larger is not the vendor's.
const DWORD MAX_SIGNATURE = 256 * 1024;
// Issuers followed at most, which also ends a loop of certificates naming each other.
const int MAX_CHAIN_DEPTH = 8;
// What the chain engine may report without refusing: validity periods are the
// system verifier's (it honours timestamps), revocation is not checked (no
// network at this point), and the root is looked up in the machine's store below.
const DWORD IGNORED_CHAIN_STATUS = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED |
                                   CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION |
                                   CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_NO_ISSUANCE_CHAIN_POLICY;

std::atomic<bool> g_withoutChainEngine{false};

// The functions taken from crypt32 and wintrust. All but the chain engine are
// in Internet Explorer 4's versions; without one of those nothing is accepted.
struct CCryptoApi {
    CCryptoApi() : crypt32(LoadSystemLibrary("crypt32.dll")), wintrust(LoadSystemLibrary("wintrust.dll"))
    {
        const bool found[] = {
            ResolveFunction(wintrust, "WinVerifyTrust", VerifyTrust),
            ResolveFunction(crypt32, "CryptMsgOpenToDecode", MsgOpenToDecode),
            ResolveFunction(crypt32, "CryptMsgUpdate", MsgUpdate),
            ResolveFunction(crypt32, "CryptMsgGetParam", MsgGetParam),
            ResolveFunction(crypt32, "CryptMsgControl", MsgControl),
            ResolveFunction(crypt32, "CryptMsgClose", MsgClose),
            ResolveFunction(crypt32, "CertOpenStore", OpenStore),
            ResolveFunction(crypt32, "CertCloseStore", CloseStore),
            ResolveFunction(crypt32, "CertGetSubjectCertificateFromStore", GetSubjectCertificateFromStore),
            ResolveFunction(crypt32, "CertFindCertificateInStore", FindCertificateInStore),
            ResolveFunction(crypt32, "CertDuplicateCertificateContext", DuplicateCertificateContext),
            ResolveFunction(crypt32, "CertFreeCertificateContext", FreeCertificateContext),
            ResolveFunction(crypt32, "CertFindExtension", FindExtension),
            ResolveFunction(crypt32, "CryptDecodeObject", DecodeObject),
            ResolveFunction(crypt32, "CertRDNValueToStrA", RDNValueToStr),
            ResolveFunction(crypt32, "CryptVerifyCertificateSignature", VerifyCertificateSignature),
        };
        usable = std::all_of(std::begin(found), std::end(found), [](bool f) { return f; });
        // Internet Explorer 5 and later.
        chainEngine = ResolveFunction(crypt32, "CertGetCertificateChain", GetCertificateChain) &&
                      ResolveFunction(crypt32, "CertFreeCertificateChain", FreeCertificateChain);
    }
    ~CCryptoApi()
    {
        if (wintrust)
            ::FreeLibrary(wintrust);
        if (crypt32)
            ::FreeLibrary(crypt32);
    }
    bool HasChainEngine() const { return chainEngine && !g_withoutChainEngine; }

    bool usable = false;
    bool chainEngine = false;
    HMODULE crypt32;
    HMODULE wintrust;
    decltype(&::WinVerifyTrust) VerifyTrust;
    decltype(&::CryptMsgOpenToDecode) MsgOpenToDecode;
    decltype(&::CryptMsgUpdate) MsgUpdate;
    decltype(&::CryptMsgGetParam) MsgGetParam;
    decltype(&::CryptMsgControl) MsgControl;
    decltype(&::CryptMsgClose) MsgClose;
    decltype(&::CertOpenStore) OpenStore;
    decltype(&::CertCloseStore) CloseStore;
    decltype(&::CertGetSubjectCertificateFromStore) GetSubjectCertificateFromStore;
    decltype(&::CertFindCertificateInStore) FindCertificateInStore;
    decltype(&::CertDuplicateCertificateContext) DuplicateCertificateContext;
    decltype(&::CertFreeCertificateContext) FreeCertificateContext;
    decltype(&::CertFindExtension) FindExtension;
    decltype(&::CryptDecodeObject) DecodeObject;
    decltype(&::CertRDNValueToStrA) RDNValueToStr;
    decltype(&::CryptVerifyCertificateSignature) VerifyCertificateSignature;
    decltype(&::CertGetCertificateChain) GetCertificateChain;
    decltype(&::CertFreeCertificateChain) FreeCertificateChain;
};

bool ReadAt(HANDLE hFile, DWORD offset, void* buffer, DWORD size)
{
    DWORD got = 0;
    return ::SetFilePointer(hFile, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
           ::ReadFile(hFile, buffer, size, &got, nullptr) && got == size;
}

// The PKCS #7 block of the first entry of the image's certificate table, as
// the system verifier takes it; empty when the file has none or lies about it.
std::vector<BYTE> ReadSignature(HANDLE hFile)
{
    DWORD high = 0;
    const DWORD size = ::GetFileSize(hFile, &high);
    IMAGE_DOS_HEADER dos;
    if (size == INVALID_FILE_SIZE || high != 0 || size < 512 || !ReadAt(hFile, 0, &dos, sizeof(dos)) ||
        dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 || static_cast<DWORD>(dos.e_lfanew) > size - 256)
        return {};
    const DWORD header = static_cast<DWORD>(dos.e_lfanew);
    const DWORD optional = header + 4 + sizeof(IMAGE_FILE_HEADER);
    DWORD signature = 0;
    WORD magic = 0;
    if (!ReadAt(hFile, header, &signature, sizeof(signature)) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(hFile, optional, &magic, sizeof(magic)))
        return {};
    DWORD countAt, directoryAt;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes);
        directoryAt = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes);
        directoryAt = offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
    } else {
        return {};
    }
    DWORD count = 0;
    IMAGE_DATA_DIRECTORY table = {};
    WIN_CERTIFICATE entry = {};
    const DWORD entryHeader = offsetof(WIN_CERTIFICATE, bCertificate);
    // The table's "address" is a file offset.
    if (!ReadAt(hFile, optional + countAt, &count, sizeof(count)) || count <= IMAGE_DIRECTORY_ENTRY_SECURITY ||
        !ReadAt(hFile, optional + directoryAt + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(table), &table,
                sizeof(table)) ||
        table.VirtualAddress > size || table.Size > size - table.VirtualAddress || table.Size <= entryHeader ||
        !ReadAt(hFile, table.VirtualAddress, &entry, entryHeader) ||
        entry.wCertificateType != WIN_CERT_TYPE_PKCS_SIGNED_DATA || entry.dwLength <= entryHeader ||
        entry.dwLength > table.Size || entry.dwLength - entryHeader > MAX_SIGNATURE)
        return {};
    std::vector<BYTE> block(entry.dwLength - entryHeader);
    if (!ReadAt(hFile, table.VirtualAddress + entryHeader, block.data(), static_cast<DWORD>(block.size())))
        return {};
    return block;
}

// The system verifier on the open file: digest and signature, no dialogs, no network.
bool SystemVerifierAccepts(const CCryptoApi& api, HANDLE hFile, LPCSTR path)
{
    WCHAR widePath[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        return false;
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = widePath;
    file.hFile = hFile;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    return api.VerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data) == ERROR_SUCCESS;
}

// A decoded structure in memory of its own (two-call CryptDecodeObject).
std::vector<BYTE> Decode(const CCryptoApi& api, LPCSTR type, const BYTE* encoded, DWORD size)
{
    DWORD needed = 0;
    if (!api.DecodeObject(ENCODING, type, encoded, size, 0, nullptr, &needed) || needed == 0)
        return {};
    std::vector<BYTE> decoded(needed);
    if (!api.DecodeObject(ENCODING, type, encoded, size, 0, decoded.data(), &needed))
        return {};
    return decoded;
}

// Exactly one common name in the subject, and it is the signer's.
bool HasCommonName(const CCryptoApi& api, PCCERT_CONTEXT cert, LPCSTR signer)
{
    const CERT_NAME_BLOB& subject = cert->pCertInfo->Subject;
    const std::vector<BYTE> decoded = Decode(api, X509_NAME, subject.pbData, subject.cbData);
    if (decoded.empty())
        return false;
    const auto* name = reinterpret_cast<const CERT_NAME_INFO*>(decoded.data());
    int found = 0;
    bool equal = false;
    for (DWORD i = 0; i < name->cRDN; ++i) {
        for (DWORD j = 0; j < name->rgRDN[i].cRDNAttr; ++j) {
            CERT_RDN_ATTR& attr = name->rgRDN[i].rgRDNAttr[j];
            if (strcmp(attr.pszObjId, szOID_COMMON_NAME) != 0)
                continue;
            char text[256] = {};
            const DWORD len = api.RDNValueToStr(attr.dwValueType, &attr.Value, text, sizeof(text));
            ++found;
            equal = len > 1 && len < sizeof(text) - 1 && strcmp(text, signer) == 0;
        }
    }
    return found == 1 && equal;
}

// Byte for byte the same certificate is in store.
bool InStore(const CCryptoApi& api, HCERTSTORE store, PCCERT_CONTEXT cert)
{
    PCCERT_CONTEXT found = nullptr;
    while ((found = api.FindCertificateInStore(store, ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                               &cert->pCertInfo->Subject, found))) {
        if (found->cbCertEncoded == cert->cbCertEncoded &&
            memcmp(found->pbCertEncoded, cert->pbCertEncoded, cert->cbCertEncoded) == 0) {
            api.FreeCertificateContext(found);
            return true;
        }
    }
    return false;
}

bool IsAuthority(const CCryptoApi& api, PCCERT_CONTEXT cert)
{
    const CERT_INFO* info = cert->pCertInfo;
    const CERT_EXTENSION* ext = api.FindExtension(szOID_BASIC_CONSTRAINTS2, info->cExtension, info->rgExtension);
    if (!ext)
        return false;
    const std::vector<BYTE> decoded = Decode(api, X509_BASIC_CONSTRAINTS2, ext->Value.pbData, ext->Value.cbData);
    return !decoded.empty() && reinterpret_cast<const CERT_BASIC_CONSTRAINTS2_INFO*>(decoded.data())->fCA;
}

// A certificate of store named as cert's issuer whose key made cert's signature.
PCCERT_CONTEXT FindIssuer(const CCryptoApi& api, HCERTSTORE store, PCCERT_CONTEXT cert)
{
    PCCERT_CONTEXT found = nullptr;
    while ((found = api.FindCertificateInStore(store, ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                               &cert->pCertInfo->Issuer, found))) {
        if (api.VerifyCertificateSignature(0, ENCODING, cert->pbCertEncoded, cert->cbCertEncoded,
                                           &found->pCertInfo->SubjectPublicKeyInfo))
            return found;
    }
    return nullptr;
}

// Without a chain engine: issuer after issuer, from the machine's roots or the
// certificates the signature carries (which must be authorities), until one
// of the machine's roots is reached.
bool WalkToTrustedRoot(const CCryptoApi& api, PCCERT_CONTEXT leaf, HCERTSTORE carried, HCERTSTORE roots)
{
    PCCERT_CONTEXT cert = api.DuplicateCertificateContext(leaf);
    bool trusted = false;
    for (int depth = 0; cert && depth < MAX_CHAIN_DEPTH && !trusted; ++depth) {
        trusted = InStore(api, roots, cert);
        if (trusted)
            break;
        PCCERT_CONTEXT issuer = FindIssuer(api, roots, cert);
        if (!issuer) {
            issuer = FindIssuer(api, carried, cert);
            if (issuer && !IsAuthority(api, issuer)) {
                api.FreeCertificateContext(issuer);
                issuer = nullptr;
            }
        }
        api.FreeCertificateContext(cert);
        cert = issuer;
    }
    if (cert)
        api.FreeCertificateContext(cert);
    return trusted;
}

// With the chain engine (Internet Explorer 5 and later): a chain without
// faults whose top is one of the machine's roots.
bool ChainToTrustedRoot(const CCryptoApi& api, PCCERT_CONTEXT leaf, HCERTSTORE carried, HCERTSTORE roots)
{
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof(para);
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!api.GetCertificateChain(nullptr, leaf, nullptr, carried, &para, 0, nullptr, &chain) || !chain)
        return false;
    bool trusted = false;
    if (chain->cChain == 1 && chain->rgpChain[0]->cElement > 0 &&
        (chain->TrustStatus.dwErrorStatus & ~IGNORED_CHAIN_STATUS) == 0) {
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        trusted = InStore(api, roots, simple->rgpElement[simple->cElement - 1]->pCertContext);
    }
    api.FreeCertificateChain(chain);
    return trusted;
}

// The signer's certificate and the certificates the signature carries.
bool SignerIsTrusted(const CCryptoApi& api, HCRYPTMSG msg, LPCSTR signer)
{
    DWORD signers = 0;
    DWORD size = sizeof(signers);
    if (!api.MsgGetParam(msg, CMSG_SIGNER_COUNT_PARAM, 0, &signers, &size) || signers != 1)
        return false;
    size = 0;
    if (!api.MsgGetParam(msg, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) || size == 0)
        return false;
    std::vector<BYTE> signerInfo(size);
    if (!api.MsgGetParam(msg, CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo.data(), &size))
        return false;

    HCERTSTORE carried = api.OpenStore(CERT_STORE_PROV_MSG, ENCODING, 0, 0, msg);
    HCERTSTORE roots = api.OpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                     CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, "Root");
    PCCERT_CONTEXT cert =
        carried ? api.GetSubjectCertificateFromStore(carried, ENCODING, reinterpret_cast<CERT_INFO*>(signerInfo.data()))
                : nullptr;
    bool trusted = false;
    if (cert && roots && api.MsgControl(msg, 0, CMSG_CTRL_VERIFY_SIGNATURE, cert->pCertInfo) &&
        HasCommonName(api, cert, signer)) {
        trusted = api.HasChainEngine() ? ChainToTrustedRoot(api, cert, carried, roots)
                                       : WalkToTrustedRoot(api, cert, carried, roots);
    }
    if (cert)
        api.FreeCertificateContext(cert);
    if (roots)
        api.CloseStore(roots, 0);
    if (carried)
        api.CloseStore(carried, 0);
    return trusted;
}

} // namespace

bool VerifyPublisher(HANDLE hFile, LPCSTR path, LPCSTR signer)
{
    if (hFile == INVALID_HANDLE_VALUE || !hFile || !path || !signer || !*signer)
        return false;
    const CCryptoApi api;
    if (!api.usable || !SystemVerifierAccepts(api, hFile, path))
        return false;
    const std::vector<BYTE> block = ReadSignature(hFile);
    if (block.empty())
        return false;
    HCRYPTMSG msg = api.MsgOpenToDecode(ENCODING, 0, 0, 0, nullptr, nullptr);
    if (!msg)
        return false;
    const bool trusted = api.MsgUpdate(msg, block.data(), static_cast<DWORD>(block.size()), TRUE) &&
                         SignerIsTrusted(api, msg, signer);
    api.MsgClose(msg);
    return trusted;
}

void VerifyPublisherWithoutChainEngine(bool without)
{
    g_withoutChainEngine = without;
}
