#include "account/InfoFiles.h"

#include "account/InfoCipher.h"

#include <algorithm>
#include <cstring>

namespace {

const char INFO_KEY[] = "qotplanv";
const size_t RECORD_SIZE = 1034;
const size_t BASIC_RECORD_SIZE = 376;

// Copies text into a zero-filled field of `width` bytes at `offset`. A text of
// the width or longer fills the field and has no terminating zero there; the
// product reads the fields by their widths.
void PutField(InfoRecord& record, size_t offset, size_t width, const CString& text)
{
    const size_t n = std::min(width, static_cast<size_t>(text.GetLength()));
    memcpy(record.data() + offset, static_cast<const char*>(text), n);
}

} // namespace

InfoRecord BuildPartnerInfoRecord(const CString& field0, const CString& userId, const CString& field2)
{
    InfoRecord record(RECORD_SIZE, 0);
    PutField(record, 0, 256, field0);
    PutField(record, 256, 256, userId);
    PutField(record, 512, 10, field2);
    return record;
}

InfoRecord BuildUserInfoRecord(const CString& accountId, const CString& reply3, int joinNumber,
                               const CString& machineId)
{
    CString join;
    join.Format("%d", joinNumber);
    InfoRecord record(RECORD_SIZE, 0);
    PutField(record, 0, 256, accountId);
    PutField(record, 256, 256, reply3);
    PutField(record, 512, 256, "tlfree/authchk.php");
    PutField(record, 768, 10, join);
    PutField(record, 778, 256, machineId);
    return record;
}

InfoRecord BuildBasicInfoRecord(const CString& serviceLabel, const CString& vendorDomain, const CString& versionDir)
{
    InfoRecord record(BASIC_RECORD_SIZE, 0);
    PutField(record, 0, 256, "update." + serviceLabel + "." + vendorDomain);
    PutField(record, 256, 30, serviceLabel);
    PutField(record, 286, 30, INFO_KEY);
    PutField(record, 316, 30, serviceLabel);
    PutField(record, 346, 30, versionDir);
    return record;
}

std::vector<unsigned char> EncryptInfoRecord(const InfoRecord& record)
{
    CInfoCipher cipher;
    cipher.SetKey(reinterpret_cast<const unsigned char*>(INFO_KEY), sizeof(INFO_KEY) - 1);
    int length = 0;
    auto buffer = cipher.EncryptBuffer(record.data(), static_cast<int>(record.size()), 8, &length);
    return std::vector<unsigned char>(buffer.get(), buffer.get() + length);
}

#ifdef _WIN32

#include "BuildConfig.h"
#include "framework/File.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "install/OsKindRules.h"

BOOL WriteInfoFile(const CString& path, const InfoRecord& record, BOOL bResetAttributes)
{
    ::DeleteFileA(path);
    const std::vector<unsigned char> bytes = EncryptInfoRecord(record);
    if (bResetAttributes) {
        ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    } else {
        // Windows refuses to open a read-only file for writing, but a privileged
        // user on some file systems gets through; refuse it here either way.
        const DWORD attrs = ::GetFileAttributesA(path);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
            return FALSE;
    }

    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary))
        return FALSE;
    if (!file.Write(bytes.data(), static_cast<UINT>(bytes.size()))) {
        // A cut file would be read as a corrupt record; leave none instead.
        file.Close();
        ::DeleteFileA(path);
        return FALSE;
    }
    return TRUE;
}

CString InfoFilePath(DWORD osKind, const char* pszFileName)
{
    CInstallPaths paths;
    return (IsWin9xOsKind(osKind) ? paths.m_strWindowsDir : paths.m_strDownloadDir) + "\\" + pszFileName;
}

BOOL CInstallDlg::WritePartnerInfo()
{
    return WriteInfoFile(InfoFilePath(OsKind, "tlvestaInfo.dat"),
                         BuildPartnerInfoRecord(m_strCookieField0, m_strCookieUserId, m_strCookieField2), TRUE);
}

BOOL CInstallDlg::WriteBasicInfo()
{
    // No attribute reset: a read-only copy left by an earlier installation
    // makes this write, and so the installation, fail.
    return WriteInfoFile(InfoFilePath(OsKind, "cvbinfo.dat"),
                         BuildBasicInfoRecord(m_strServiceLabel, VENDOR_DOMAIN, m_strVersionDir), FALSE);
}

#endif
