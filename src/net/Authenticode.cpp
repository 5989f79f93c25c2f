// Authenticode as the signing tools write it, read strictly: whatever a
// signer's tool never produces is refused rather than interpreted, since
// every byte here comes over plain HTTP.
#include "net/Authenticode.h"

#include "net/DerReader.h"
#include "net/Digest.h"

#include <bearssl_rsa.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Authenticode blocks are a few kilobytes; far larger ones are not the vendor's.
const size_t MAX_SIGNATURE = 256 * 1024;
// The outer signature and the nested ones.
const size_t MAX_SIGNATURES = 8;
const size_t MAX_CERTIFICATES = 32;
// The largest RSA modulus BearSSL's i31 code takes: 4096 bits.
const size_t MAX_MODULUS = 512;
const size_t READ_BLOCK = 64 * 1024;

const unsigned char OID_SIGNED_DATA[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
const unsigned char OID_CONTENT_TYPE[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x03};
const unsigned char OID_MESSAGE_DIGEST[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x04};
const unsigned char OID_RSA[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};
const unsigned char OID_SHA1_RSA[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x05};
const unsigned char OID_SHA256_RSA[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B};
const unsigned char OID_SHA1[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
const unsigned char OID_SHA256[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
const unsigned char OID_SPC_INDIRECT_DATA[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
const unsigned char OID_SPC_PE_IMAGE_DATA[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};
const unsigned char OID_NESTED_SIGNATURE[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x04, 0x01};
const unsigned char OID_EXTENDED_KEY_USAGE[] = {0x55, 0x1D, 0x25};
const unsigned char OID_CODE_SIGNING[] = {0x2B, 0x06, 0x01, 0x05, 0x05, 0x07, 0x03, 0x03};

typedef AuthenticodeResult Result;

uint32_t Le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Le16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Where the parts the image digest leaves out are.
struct ImageLayout {
    uint32_t checksumAt;  // 4 bytes
    uint32_t directoryAt; // the certificate table's directory entry, 8 bytes
    uint32_t tableAt;     // the table, up to the end of the file
};

// What one signature states and whether it holds, bar the image's digest.
struct Signature {
    CDigest::Kind imageDigestKind;
    std::string imageDigest;
    bool pinned;
    Result verdict; // of the signature and its certificate's use, the image aside
};

bool IsNull(const DerItem& item)
{
    return item.tag == DER_NULL && item.bodySize == 0;
}

// AlgorithmIdentifier: an OID, with NULL parameters or none.
bool ReadAlgorithm(CDerReader& r, DerItem& oid)
{
    DerItem algorithm, parameters;
    if (!r.Read(DER_SEQUENCE, algorithm))
        return false;
    CDerReader a = r.Inside(algorithm);
    return a.Read(DER_OID, oid) && (!a.ReadOptional(DER_NULL, parameters) || IsNull(parameters)) && a.AtEnd();
}

// SHA-1 or SHA-256.
bool ReadDigestAlgorithm(CDerReader& r, CDigest::Kind& kind)
{
    DerItem oid;
    if (!ReadAlgorithm(r, oid))
        return false;
    kind = oid.Is(OID_SHA1) ? CDigest::SHA1 : CDigest::SHA256;
    return oid.Is(OID_SHA1) || oid.Is(OID_SHA256);
}

// The signature algorithm of a SignerInfo: RSA, alone or named with the digest.
bool ReadRsaAlgorithm(CDerReader& r, CDigest::Kind kind)
{
    DerItem oid;
    return ReadAlgorithm(r, oid) &&
           (oid.Is(OID_RSA) || (kind == CDigest::SHA1 && oid.Is(OID_SHA1_RSA)) ||
            (kind == CDigest::SHA256 && oid.Is(OID_SHA256_RSA)));
}

bool IsVersion1(const DerItem& item)
{
    return item.tag == DER_INTEGER && item.bodySize == 1 && item.body[0] == 1;
}

// A positive INTEGER's magnitude, without the zero byte that keeps it positive.
bool Magnitude(const DerItem& item, size_t maxSize, const unsigned char*& p, size_t& n)
{
    p = item.body;
    n = item.bodySize;
    if (n > 1 && p[0] == 0 && (p[1] & 0x80)) {
        ++p;
        --n;
    }
    return n > 0 && n <= maxSize && p[0] != 0 && !(item.body[0] & 0x80);
}

// The certificate fields the check uses.
struct Certificate {
    DerItem issuer;
    DerItem serial;
    DerItem publicKey; // SubjectPublicKeyInfo
    DerItem extensions;
    bool hasExtensions = false;
};

bool ReadCertificate(CDerReader& set, Certificate& cert)
{
    DerItem whole, tbs, signatureAlgorithm, signature, version, skip;
    if (!set.Read(DER_SEQUENCE, whole))
        return false;
    CDerReader c = set.Inside(whole);
    if (!c.Read(DER_SEQUENCE, tbs) || !c.Read(DER_SEQUENCE, signatureAlgorithm) || !c.Read(DER_BIT_STRING, signature) ||
        !c.AtEnd())
        return false;
    CDerReader t = c.Inside(tbs);
    t.ReadOptional(DER_CONTEXT_0, version);
    if (!t.Read(DER_INTEGER, cert.serial) || !t.Read(DER_SEQUENCE, skip) || !t.Read(DER_SEQUENCE, cert.issuer) ||
        !t.Read(DER_SEQUENCE, skip) /* validity */ || !t.Read(DER_SEQUENCE, skip) /* subject */ ||
        !t.Read(DER_SEQUENCE, cert.publicKey))
        return false;
    t.ReadOptional(0x81, skip); // issuerUniqueID
    t.ReadOptional(0x82, skip); // subjectUniqueID
    cert.hasExtensions = t.ReadOptional(DER_CONTEXT_3, cert.extensions);
    return t.AtEnd();
}

// A certificate that names extended key usages must name code signing; one
// that names none is not restricted. Two such extensions are refused.
Result CheckKeyUsage(const Certificate& cert)
{
    if (!cert.hasExtensions)
        return Result::Verified;
    CDerReader wrapper(cert.extensions.body, cert.extensions.bodySize);
    DerItem list;
    if (!wrapper.Read(DER_SEQUENCE, list) || !wrapper.AtEnd())
        return Result::Malformed;
    int usages = 0;
    bool codeSigning = false;
    for (CDerReader exts = wrapper.Inside(list); !exts.AtEnd();) {
        DerItem ext, oid, critical, value;
        if (!exts.Read(DER_SEQUENCE, ext))
            return Result::Malformed;
        CDerReader e = exts.Inside(ext);
        if (!e.Read(DER_OID, oid) || (e.ReadOptional(DER_BOOLEAN, critical) && critical.bodySize != 1) ||
            !e.Read(DER_OCTET_STRING, value) || !e.AtEnd())
            return Result::Malformed;
        if (!oid.Is(OID_EXTENDED_KEY_USAGE))
            continue;
        ++usages;
        CDerReader v(value.body, value.bodySize);
        DerItem purposes, purpose;
        if (!v.Read(DER_SEQUENCE, purposes) || !v.AtEnd())
            return Result::Malformed;
        for (CDerReader p = v.Inside(purposes); !p.AtEnd();) {
            if (!p.Read(DER_OID, purpose))
                return Result::Malformed;
            codeSigning |= purpose.Is(OID_CODE_SIGNING);
        }
    }
    if (usages > 1)
        return Result::Malformed;
    return usages == 0 || codeSigning ? Result::Verified : Result::NotForCodeSigning;
}

// RSA PKCS #1 v1.5 of digest, with the RSA key of a SubjectPublicKeyInfo.
Result CheckRsa(const DerItem& publicKey, const DerItem& signature, CDigest::Kind kind, const std::string& digest)
{
    CDerReader spki(publicKey.whole, publicKey.wholeSize);
    DerItem info, oid, bits, key, modulus, exponent;
    if (!spki.Read(DER_SEQUENCE, info) || !spki.AtEnd())
        return Result::Malformed;
    CDerReader i = spki.Inside(info);
    if (!ReadAlgorithm(i, oid) || !oid.Is(OID_RSA) || !i.Read(DER_BIT_STRING, bits) || !i.AtEnd())
        return Result::Malformed;
    // No unused bits: the key is whole bytes of DER.
    if (bits.bodySize < 1 || bits.body[0] != 0)
        return Result::Malformed;
    CDerReader k(bits.body + 1, bits.bodySize - 1);
    if (!k.Read(DER_SEQUENCE, key) || !k.AtEnd())
        return Result::Malformed;
    CDerReader numbers = k.Inside(key);
    br_rsa_public_key pk;
    const unsigned char *n, *e;
    if (!numbers.Read(DER_INTEGER, modulus) || !numbers.Read(DER_INTEGER, exponent) || !numbers.AtEnd() ||
        !Magnitude(modulus, MAX_MODULUS, n, pk.nlen) || !Magnitude(exponent, 8, e, pk.elen))
        return Result::Malformed;
    pk.n = const_cast<unsigned char*>(n);
    pk.e = const_cast<unsigned char*>(e);
    unsigned char signed_[32];
    const bool sha1 = kind == CDigest::SHA1;
    if (signature.bodySize != pk.nlen ||
        !br_rsa_i31_pkcs1_vrfy(signature.body, signature.bodySize, sha1 ? BR_HASH_OID_SHA1 : BR_HASH_OID_SHA256,
                               digest.size(), &pk, signed_) ||
        std::memcmp(signed_, digest.data(), digest.size()) != 0)
        return Result::BadSignature;
    return Result::Verified;
}

Result ReadSignedData(const DerItem& contentInfo, int nesting, const char* keyPins, std::vector<Signature>& found);

// One Attribute of a SET of them: its type and the SET of its values.
bool ReadAttribute(CDerReader& attrs, DerItem& type, DerItem& values)
{
    DerItem attribute;
    if (!attrs.Read(DER_SEQUENCE, attribute))
        return false;
    CDerReader a = attrs.Inside(attribute);
    return a.Read(DER_OID, type) && a.Read(DER_SET, values) && a.AtEnd();
}

// Nested signatures ride in the unsigned attributes, one level deep. Each is
// read as strictly as the outer one and gets its own verdict.
Result ReadNestedSignatures(const DerItem& attributes, int nesting, const char* keyPins,
                            std::vector<Signature>& found)
{
    for (CDerReader attrs = CDerReader(attributes.whole, attributes.wholeSize).Inside(attributes); !attrs.AtEnd();) {
        DerItem type, values, value;
        if (!ReadAttribute(attrs, type, values))
            return Result::Malformed;
        // Timestamps and the like say nothing the check uses.
        if (!type.Is(OID_NESTED_SIGNATURE))
            continue;
        if (nesting > 0)
            return Result::Malformed;
        for (CDerReader v = attrs.Inside(values); !v.AtEnd();) {
            if (!v.Read(DER_SEQUENCE, value))
                return Result::Malformed;
            if (ReadSignedData(value, nesting + 1, keyPins, found) == Result::Malformed)
                return Result::Malformed;
        }
    }
    return Result::Verified;
}

// One SignerInfo: its attributes name the indirect data and carry its
// digest, its key made the signature over them, and its certificate may sign code.
Result ReadSignerInfo(CDerReader& infos, const std::vector<Certificate>& certs, const DerItem& indirectData,
                      const char* keyPins, bool& pinned, DerItem& unsignedAttributes, bool& hasUnsigned)
{
    DerItem info, version, issuerAndSerial, issuer, serial, attributes, encrypted;
    CDigest::Kind kind;
    if (!infos.Read(DER_SEQUENCE, info))
        return Result::Malformed;
    CDerReader s = infos.Inside(info);
    if (!s.Read(DER_INTEGER, version) || !IsVersion1(version) || !s.Read(DER_SEQUENCE, issuerAndSerial) ||
        !ReadDigestAlgorithm(s, kind) || !s.Read(DER_CONTEXT_0, attributes) || !ReadRsaAlgorithm(s, kind) ||
        !s.Read(DER_OCTET_STRING, encrypted))
        return Result::Malformed;
    hasUnsigned = s.ReadOptional(DER_CONTEXT_1, unsignedAttributes);
    if (!s.AtEnd())
        return Result::Malformed;
    CDerReader ias = s.Inside(issuerAndSerial);
    if (!ias.Read(DER_SEQUENCE, issuer) || !ias.Read(DER_INTEGER, serial) || !ias.AtEnd())
        return Result::Malformed;

    // Exactly one content type, the indirect data, and one digest, of its contents.
    int contentTypes = 0, digests = 0;
    for (CDerReader attrs = s.Inside(attributes); !attrs.AtEnd();) {
        DerItem type, values, value;
        if (!ReadAttribute(attrs, type, values))
            return Result::Malformed;
        CDerReader v = attrs.Inside(values);
        if (type.Is(OID_CONTENT_TYPE)) {
            ++contentTypes;
            if (!v.Read(DER_OID, value) || !v.AtEnd() || !value.Is(OID_SPC_INDIRECT_DATA))
                return Result::Malformed;
        } else if (type.Is(OID_MESSAGE_DIGEST)) {
            ++digests;
            if (!v.Read(DER_OCTET_STRING, value) || !v.AtEnd())
                return Result::Malformed;
            // The contents of the SpcIndirectDataContent, without its tag and length.
            if (std::string(reinterpret_cast<const char*>(value.body), value.bodySize) !=
                CDigest::Of(kind, indirectData.body, indirectData.bodySize))
                return Result::BadSignature;
        }
    }
    if (contentTypes != 1 || digests != 1)
        return Result::Malformed;

    // The signer's certificate, named by issuer and serial number: one only.
    const Certificate* signer = nullptr;
    for (const Certificate& cert : certs) {
        if (cert.issuer.wholeSize == issuer.wholeSize &&
            std::memcmp(cert.issuer.whole, issuer.whole, issuer.wholeSize) == 0 &&
            cert.serial.bodySize == serial.bodySize &&
            std::memcmp(cert.serial.body, serial.body, serial.bodySize) == 0) {
            if (signer)
                return Result::Malformed;
            signer = &cert;
        }
    }
    if (!signer)
        return Result::Malformed;

    // The signature covers the attributes as a SET, the tag they are stored under aside.
    CDigest signedAttributes(kind);
    const unsigned char setTag = DER_SET;
    signedAttributes.Add(&setTag, 1);
    signedAttributes.Add(attributes.whole + 1, attributes.wholeSize - 1);
    Result result = CheckRsa(signer->publicKey, encrypted, kind, signedAttributes.Finish());
    if (result == Result::Verified)
        result = CheckKeyUsage(*signer);
    pinned = IsPinned(CDigest::Of(CDigest::SHA256, signer->publicKey.whole, signer->publicKey.wholeSize), keyPins);
    return result;
}

// ContentInfo of SignedData, which holds the SpcIndirectDataContent with the
// image's digest, the certificates and exactly one SignerInfo. Malformed
// where anything is not as Authenticode writes it; otherwise the signature
// joins found with its verdict, and so do the ones nested in it.
Result ReadSignedData(const DerItem& contentInfo, int nesting, const char* keyPins, std::vector<Signature>& found)
{
    if (found.size() >= MAX_SIGNATURES)
        return Result::Malformed;
    DerItem type, explicitContent, signedData, version, algorithms, content, contentType, explicitIndirect,
        indirectData, certificates, crls, signerInfos;
    CDerReader ci = CDerReader(contentInfo.whole, contentInfo.wholeSize).Inside(contentInfo);
    if (!ci.Read(DER_OID, type) || !type.Is(OID_SIGNED_DATA) || !ci.Read(DER_CONTEXT_0, explicitContent) ||
        !ci.AtEnd())
        return Result::Malformed;
    CDerReader wrapper = ci.Inside(explicitContent);
    if (!wrapper.Read(DER_SEQUENCE, signedData) || !wrapper.AtEnd())
        return Result::Malformed;
    CDerReader sd = wrapper.Inside(signedData);
    if (!sd.Read(DER_INTEGER, version) || !IsVersion1(version) || !sd.Read(DER_SET, algorithms) ||
        !sd.Read(DER_SEQUENCE, content) || !sd.Read(DER_CONTEXT_0, certificates))
        return Result::Malformed;
    sd.ReadOptional(DER_CONTEXT_1, crls);
    if (!sd.Read(DER_SET, signerInfos) || !sd.AtEnd())
        return Result::Malformed;

    // The indirect data: a PE image's digest, with its algorithm.
    CDerReader c = sd.Inside(content);
    if (!c.Read(DER_OID, contentType) || !contentType.Is(OID_SPC_INDIRECT_DATA) ||
        !c.Read(DER_CONTEXT_0, explicitIndirect) || !c.AtEnd())
        return Result::Malformed;
    CDerReader ei = c.Inside(explicitIndirect);
    if (!ei.Read(DER_SEQUENCE, indirectData) || !ei.AtEnd())
        return Result::Malformed;
    Signature signature{};
    DerItem data, dataType, dataValue, digestInfo, digest;
    CDerReader id = ei.Inside(indirectData);
    if (!id.Read(DER_SEQUENCE, data) || !id.Read(DER_SEQUENCE, digestInfo) || !id.AtEnd())
        return Result::Malformed;
    CDerReader d = id.Inside(data);
    if (!d.Read(DER_OID, dataType) || !dataType.Is(OID_SPC_PE_IMAGE_DATA))
        return Result::Malformed;
    d.ReadAny(dataValue);
    CDerReader di = id.Inside(digestInfo);
    if (!d.AtEnd() || !ReadDigestAlgorithm(di, signature.imageDigestKind) || !di.Read(DER_OCTET_STRING, digest) ||
        !di.AtEnd() || digest.bodySize != CDigest::Size(signature.imageDigestKind))
        return Result::Malformed;
    signature.imageDigest.assign(reinterpret_cast<const char*>(digest.body), digest.bodySize);

    std::vector<Certificate> certs;
    for (CDerReader set = sd.Inside(certificates); !set.AtEnd();) {
        certs.emplace_back();
        if (certs.size() > MAX_CERTIFICATES || !ReadCertificate(set, certs.back()))
            return Result::Malformed;
    }
    // Exactly one signer.
    CDerReader infos = sd.Inside(signerInfos);
    DerItem unsignedAttributes;
    bool hasUnsigned = false;
    signature.verdict =
        ReadSignerInfo(infos, certs, indirectData, keyPins, signature.pinned, unsignedAttributes, hasUnsigned);
    if (signature.verdict == Result::Malformed || !infos.AtEnd())
        return Result::Malformed;
    found.push_back(signature);
    return hasUnsigned ? ReadNestedSignatures(unsignedAttributes, nesting, keyPins, found) : Result::Verified;
}

Result ReadLayout(CByteSource& file, ImageLayout& layout)
{
    const uint64_t size = file.Size();
    unsigned char dos[64], nt[26], count[4], entry[8];
    if (size < sizeof(dos) || size > 0xFFFFFFFFu || !file.Read(0, dos, sizeof(dos)) || dos[0] != 'M' ||
        dos[1] != 'Z')
        return Result::NotAnImage;
    // The signature, the file header, the optional header's magic.
    const uint32_t pe = Le32(dos + 0x3C);
    if (pe < sizeof(dos) || pe > size - sizeof(nt) || !file.Read(pe, nt, sizeof(nt)) ||
        std::memcmp(nt, "PE\0\0", 4) != 0)
        return Result::NotAnImage;
    const uint32_t optional = pe + 24;
    const uint32_t optionalSize = Le16(nt + 20);
    uint32_t countAt, directoriesAt;
    switch (Le16(nt + 24)) {
    case 0x10B: // PE32
        countAt = 92;
        directoriesAt = 96;
        break;
    case 0x20B: // PE32+
        countAt = 108;
        directoriesAt = 112;
        break;
    default:
        return Result::NotAnImage;
    }
    const uint32_t securityEntry = directoriesAt + 4 * 8;
    if (optional + static_cast<uint64_t>(optionalSize) > size || countAt + 4 > optionalSize ||
        !file.Read(optional + countAt, count, sizeof(count)))
        return Result::NotAnImage;
    if (Le32(count) <= 4 || securityEntry + 8 > optionalSize)
        return Result::Unsigned;
    layout.checksumAt = optional + 64;
    layout.directoryAt = optional + securityEntry;
    if (!file.Read(layout.directoryAt, entry, sizeof(entry)))
        return Result::NotAnImage;
    // The table's "address" is a file offset.
    layout.tableAt = Le32(entry);
    const uint32_t tableSize = Le32(entry + 4);
    if (layout.tableAt == 0 && tableSize == 0)
        return Result::Unsigned;
    if (layout.tableAt % 8 != 0 || layout.tableAt < layout.directoryAt + 8 ||
        layout.tableAt + static_cast<uint64_t>(tableSize) != size)
        return Result::BadTable;
    return Result::Verified;
}

// The one entry of the table: WIN_CERTIFICATE revision 2.0 of PKCS #7 signed
// data, whose DER is followed by no more than 7 zero bytes of padding.
Result ReadEntry(CByteSource& file, const ImageLayout& layout, std::vector<unsigned char>& der)
{
    const uint32_t tableSize = static_cast<uint32_t>(file.Size() - layout.tableAt);
    unsigned char header[8];
    if (tableSize <= sizeof(header) || tableSize - sizeof(header) > MAX_SIGNATURE)
        return Result::BadTable;
    der.resize(tableSize - sizeof(header));
    if (!file.Read(layout.tableAt, header, sizeof(header)) ||
        !file.Read(layout.tableAt + sizeof(header), der.data(), der.size()))
        return Result::Unreadable;
    const uint32_t length = Le32(header);
    if (Le16(header + 4) != 0x0200 || Le16(header + 6) != 0x0002 || length > tableSize ||
        tableSize - length > 7)
        return Result::BadTable;
    CDerReader r(der.data(), der.size());
    DerItem contentInfo;
    if (!r.Read(DER_SEQUENCE, contentInfo))
        return Result::Malformed;
    const size_t padding = der.size() - contentInfo.wholeSize;
    if (padding > 7 || sizeof(header) + contentInfo.wholeSize > length)
        return Result::BadTable;
    for (size_t i = contentInfo.wholeSize; i < der.size(); ++i)
        if (der[i] != 0)
            return Result::BadTable;
    der.resize(contentInfo.wholeSize);
    return Result::Verified;
}

// The image's digest of each kind wanted, in one pass: everything before the
// table but the checksum and the table's directory entry.
bool DigestImage(CByteSource& file, const ImageLayout& layout, bool want[2], std::string digests[2])
{
    CDigest sha1(CDigest::SHA1), sha256(CDigest::SHA256);
    const uint32_t holes[2][2] = {{layout.checksumAt, 4}, {layout.directoryAt, 8}};
    std::vector<unsigned char> block(READ_BLOCK);
    uint32_t at = 0;
    for (int part = 0; part <= 2; ++part) {
        const uint32_t end = part < 2 ? holes[part][0] : layout.tableAt;
        while (at < end) {
            const size_t n = end - at < READ_BLOCK ? end - at : READ_BLOCK;
            if (!file.Read(at, block.data(), n))
                return false;
            if (want[CDigest::SHA1])
                sha1.Add(block.data(), n);
            if (want[CDigest::SHA256])
                sha256.Add(block.data(), n);
            at += static_cast<uint32_t>(n);
        }
        if (part < 2)
            at += holes[part][1];
    }
    digests[CDigest::SHA1] = sha1.Finish();
    digests[CDigest::SHA256] = sha256.Finish();
    return true;
}

} // namespace

AuthenticodeResult VerifyAuthenticode(CByteSource& file, const char* keyPins)
{
    ImageLayout layout;
    Result result = ReadLayout(file, layout);
    if (result != Result::Verified)
        return result;
    std::vector<unsigned char> der;
    if ((result = ReadEntry(file, layout, der)) != Result::Verified)
        return result;
    std::vector<Signature> signatures;
    CDerReader r(der.data(), der.size());
    DerItem contentInfo;
    r.Read(DER_SEQUENCE, contentInfo);
    if ((result = ReadSignedData(contentInfo, 0, keyPins, signatures)) != Result::Verified)
        return result;

    bool want[2] = {false, false};
    for (const Signature& s : signatures)
        want[s.imageDigestKind] = true;
    std::string digests[2];
    if (!DigestImage(file, layout, want, digests))
        return Result::Unreadable;
    // One fully verified signature made with a pinned key is enough; one
    // that fails (an unpinned signer's, or one anybody nested in afterwards)
    // takes nothing away, as the image digest leaves the table out. Refused,
    // the file is told by the outer signature's fault, else by the pin.
    bool verified = false;
    for (Signature& s : signatures) {
        if (s.verdict == Result::Verified && s.imageDigest != digests[s.imageDigestKind])
            s.verdict = Result::ImageChanged;
        if (s.verdict == Result::Verified && s.pinned)
            return Result::Verified;
        verified |= s.verdict == Result::Verified;
    }
    return verified ? Result::NotPinned : signatures.front().verdict;
}

bool IsPinnedFile(CByteSource& file, const char* pins)
{
    CDigest sha256(CDigest::SHA256);
    std::vector<unsigned char> block(READ_BLOCK);
    const uint64_t size = file.Size();
    for (uint64_t at = 0; at < size;) {
        const size_t n = size - at < READ_BLOCK ? static_cast<size_t>(size - at) : READ_BLOCK;
        if (!file.Read(at, block.data(), n))
            return false;
        sha256.Add(block.data(), n);
        at += n;
    }
    return IsPinned(sha256.Finish(), pins);
}
