#include "net/FilePlacement.h"

#include "framework/SystemLibrary.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const DWORD ATTRIBUTES_IN_THE_WAY = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

CString Hex(DWORD value)
{
    CString text;
    text.Format("%08lX", static_cast<unsigned long>(value));
    return text;
}

bool IsNtFamily()
{
    return ::GetVersion() < 0x80000000;
}

struct SidFreer {
    void operator()(void* sid) const { ::FreeSid(sid); }
};
typedef std::unique_ptr<void, SidFreer> UniqueSid;

PSID WellKnownSid(DWORD count, DWORD first, DWORD second)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    return ::AllocateAndInitializeSid(&nt, static_cast<BYTE>(count), first, second, 0, 0, 0, 0, 0, 0, &sid) ? sid
                                                                                                       : nullptr;
}

// The user's own account, where the process's token has Administrators only
// to deny (Vista's filtered token): without it the assistant could not write
// into the folder it made.
std::vector<BYTE> UserWithoutAdministrators(PSID admins)
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return {};
    std::vector<BYTE> groups, user;
    DWORD size = 0;
    ::GetTokenInformation(hToken, TokenGroups, nullptr, 0, &size);
    groups.resize(size);
    bool adminsEnabled = false;
    if (size && ::GetTokenInformation(hToken, TokenGroups, groups.data(), size, &size)) {
        const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
        for (DWORD i = 0; i < list->GroupCount; ++i)
            adminsEnabled |= ::EqualSid(list->Groups[i].Sid, admins) && (list->Groups[i].Attributes & SE_GROUP_ENABLED);
    }
    size = 0;
    ::GetTokenInformation(hToken, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (adminsEnabled || !size || !::GetTokenInformation(hToken, TokenUser, user.data(), size, &size))
        user.clear();
    ::CloseHandle(hToken);
    return user;
}

} // namespace

bool CPrivateSecurity::Build()
{
    UniqueSid admins(WellKnownSid(2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS));
    UniqueSid system(WellKnownSid(1, SECURITY_LOCAL_SYSTEM_RID, 0));
    if (!admins || !system)
        return false;
    const std::vector<BYTE> user = UserWithoutAdministrators(admins.get());
    std::vector<PSID> sids{admins.get(), system.get()};
    if (!user.empty())
        sids.push_back(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    DWORD size = sizeof(ACL);
    for (PSID sid : sids)
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    m_acl.resize(size);
    PACL acl = reinterpret_cast<PACL>(m_acl.data());
    if (!::InitializeAcl(acl, size, ACL_REVISION))
        return false;
    for (DWORD i = 0; i < sids.size(); ++i) {
        void* ace = nullptr;
        // AddAccessAllowedAceEx, which takes the flags, came with Windows 2000.
        if (!::AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sids[i]) || !::GetAce(acl, i, &ace))
            return false;
        static_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    }
    if (!::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE))
        return false;
    // From Windows 2000 on, a folder also inherits its parent's entries
    // unless its list is protected; NT 4.0 knows no such inheritance.
    static BOOL(WINAPI * setControl)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                     SECURITY_DESCRIPTOR_CONTROL) = nullptr;
    static const bool haveControl =
        ResolveFunction(::GetModuleHandleA("advapi32.dll"), "SetSecurityDescriptorControl", setControl);
    if (haveControl && !setControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    m_attributes = {sizeof(m_attributes), &m_descriptor, FALSE};
    return true;
}

DWORD RandomWord()
{
    DWORD value = 0;
    HCRYPTPROV provider = 0;
    if (::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        const BOOL ok = ::CryptGenRandom(provider, sizeof(value), reinterpret_cast<BYTE*>(&value));
        ::CryptReleaseContext(provider, 0);
        if (ok)
            return value;
    }
    // A Windows 98 without the base provider: what nobody else can know in advance.
    static LONG s_counter = 0;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    uint64_t x = static_cast<uint64_t>(now.QuadPart) ^ (uint64_t(::GetTickCount()) << 32) ^
                 (uint64_t(::GetCurrentProcessId()) << 16) ^ ::GetCurrentThreadId() ^
                 (uint64_t(::InterlockedIncrement(&s_counter)) << 48) ^ reinterpret_cast<uintptr_t>(&x);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<DWORD>(x);
}

bool CreatePrivateFolder(const CString& parent, CString& folder)
{
    CPrivateSecurity security;
    SECURITY_ATTRIBUTES* attributes = nullptr;
    if (IsNtFamily()) {
        if (!security.Build())
            return false;
        attributes = security.Attributes();
    }
    // A folder that is already there may be anyone's: only a new one is ours.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const CString candidate = parent + "tl" + Hex(RandomWord()) + Hex(RandomWord());
        if (::CreateDirectoryA(candidate, attributes)) {
            folder = candidate + "\\";
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool ReplaceWithRenames(const CString& from, const CString& to)
{
    if (::GetFileAttributesA(to) == INVALID_FILE_ATTRIBUTES)
        return ::MoveFileA(from, to) != FALSE;
    CString aside;
    for (int attempt = 0; attempt < 16 && aside.IsEmpty(); ++attempt) {
        const CString candidate = to.Left(to.ReverseFind('\\') + 1) + "~tl" + Hex(RandomWord()) + ".old";
        if (::MoveFileA(to, candidate))
            aside = candidate;
        else if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (aside.IsEmpty())
        return false;
    if (!::MoveFileA(from, to)) {
        ::MoveFileA(aside, to);
        return false;
    }
    ::DeleteFileA(aside);
    return true;
}

bool ReplaceInOneStep(const CString& from, const CString& to)
{
    static BOOL(WINAPI * moveFileEx)(LPCSTR, LPCSTR, DWORD) = nullptr;
    static const bool haveMoveFileEx = ResolveFunction(::GetModuleHandleA("kernel32.dll"), "MoveFileExA", moveFileEx);
    // A read-only or hidden leftover of an earlier run is replaced all the
    // same; it keeps its attributes if it stays.
    const DWORD attributes = ::GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & ATTRIBUTES_IN_THE_WAY))
        ::SetFileAttributesA(to, attributes & ~ATTRIBUTES_IN_THE_WAY);
    bool replaced = false;
    if (moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        replaced = true;
    else if (!haveMoveFileEx || ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        replaced = ReplaceWithRenames(from, to);
    if (!replaced && attributes != INVALID_FILE_ATTRIBUTES && (attributes & ATTRIBUTES_IN_THE_WAY))
        ::SetFileAttributesA(to, attributes);
    return replaced;
}

CDownloadFile::CDownloadFile(DownloadKind kind) : m_kind(kind) {}

CDownloadFile::~CDownloadFile()
{
    CloseFile();
    if (!m_bKeep && !m_strPath.IsEmpty())
        ::DeleteFileA(m_strPath);
}

bool CDownloadFile::Create(const CString& path)
{
    m_strPath = path;
    m_hFile = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        m_strPath.Empty(); // not ours to delete
    return IsOpen();
}

void CDownloadFile::CloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CDownloadFile::Begin(uint64_t length)
{
    return IsOpen() && length <= MaxDownloadSize(m_kind);
}

bool CDownloadFile::Write(const char* p, size_t n)
{
    if (m_headSize < sizeof(m_head)) {
        const size_t take = std::min(n, sizeof(m_head) - m_headSize);
        memcpy(m_head + m_headSize, p, take);
        m_headSize += take;
    }
    while (n > 0) {
        DWORD written = 0;
        if (!::WriteFile(m_hFile, p, static_cast<DWORD>(std::min<size_t>(n, 1 << 20)), &written, nullptr) ||
            written == 0)
            return false;
        p += written;
        n -= written;
    }
    return true;
}

bool CDownloadFile::ContentAcceptable() const
{
    return !MustBePeImage(m_kind) || LooksLikePeImage(m_head, m_headSize);
}

CPlacedFile::CPlacedFile(const CString& destination, DownloadKind kind)
    : CDownloadFile(kind), m_strDestination(destination)
{
    const CString folder = destination.Left(destination.ReverseFind('\\') + 1);
    for (int attempt = 0; attempt < 16 && !Create(folder + "~tl" + Hex(RandomWord()) + ".tmp"); ++attempt)
        if (::GetLastError() != ERROR_FILE_EXISTS)
            break;
}

CDownloadFile::Result CPlacedFile::Place()
{
    if (!ContentAcceptable())
        return Rejected;
    const bool flushed = ::FlushFileBuffers(m_hFile) != FALSE;
    CloseFile();
    if (!flushed || !ReplaceInOneStep(m_strPath, m_strDestination))
        return Failed;
    m_bKeep = true;
    return Placed;
}

CHeldSetupProgram::CHeldSetupProgram(const CString& folder) : CDownloadFile(DownloadKind::Setup), m_strFolder(folder)
{
    Create(folder + "Tempcr.exe");
}

CHeldSetupProgram::~CHeldSetupProgram()
{
    if (!m_bKeep)
        Discard();
}

void CHeldSetupProgram::Discard()
{
    CloseFile();
    ::DeleteFileA(m_strPath);
    ::RemoveDirectoryA(m_strFolder);
}

bool CHeldSetupProgram::Write(const char* p, size_t n)
{
    m_written.Add(p, n);
    return CDownloadFile::Write(p, n);
}

CDownloadFile::Result CHeldSetupProgram::Hold()
{
    if (!IsOpen() || !ContentAcceptable())
        return IsOpen() ? Rejected : Failed;
    const std::string written = m_written.Finish();
    CloseFile();
    m_hFile = ::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
    if (!IsOpen())
        return Failed;
    CDigest held(CDigest::SHA256);
    std::vector<char> block(64 * 1024);
    DWORD got = 0;
    while (::ReadFile(m_hFile, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0)
        held.Add(block.data(), got);
    return held.Finish() == written ? Placed : Failed;
}
