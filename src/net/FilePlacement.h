// Downloaded files reach their place whole or not at all: each is received
// into a file of its own as it arrives, judged by the rules of its kind, and
// only then put where it belongs. Whatever fails, the file under the final
// name is the one that was there before.
#pragma once

#include "net/DownloadPlan.h"
#include "net/HttpExchange.h"
#include "net/Digest.h"

#include <string>
#include <vector>

// A body written to a file of its own, with the size limit and the content
// rule of its kind. The file is deleted with the object unless kept.
class CDownloadFile : public CBodySink {
public:
    enum Result { Placed, Rejected, Failed };

    explicit CDownloadFile(DownloadKind kind);
    ~CDownloadFile() override;
    CDownloadFile(const CDownloadFile&) = delete;
    CDownloadFile& operator=(const CDownloadFile&) = delete;

    bool Begin(uint64_t length) override;
    bool Write(const char* p, size_t n) override;
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const CString& Path() const { return m_strPath; }
    // The handle that holds the file (for checks of it before it is placed
    // or started): nobody else can write it.
    HANDLE Handle() const { return m_hFile; }

protected:
    // A new file (never an existing one), readable by others, nothing more.
    bool Create(const CString& path);
    // A program, library or driver is a PE image; a data list may be anything.
    bool ContentAcceptable() const;
    void CloseFile();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strPath;
    bool m_bKeep = false;

private:
    DownloadKind m_kind;
    unsigned char m_head[PE_HEAD_SIZE];
    size_t m_headSize = 0;
};

// Received under a temporary name in the destination's folder, then put in
// place of the destination in one step.
class CPlacedFile : public CDownloadFile {
public:
    CPlacedFile(const CString& destination, DownloadKind kind);
    // After the whole body has arrived.
    Result Place();

private:
    CString m_strDestination;
};

// The setup program as Tempcr.exe in the private folder made for this run,
// held open without write or delete sharing from its first byte until the
// object goes: nobody can change or replace what is then started.
class CHeldSetupProgram : public CDownloadFile {
public:
    // folder ends with a backslash.
    explicit CHeldSetupProgram(const CString& folder);
    ~CHeldSetupProgram() override;
    bool Write(const char* p, size_t n) override;
    // After the whole body has arrived. The loader cannot open a file that
    // is open for writing, so the writing handle gives way to a reading one
    // that shares reading only; the bytes are read back through it, and
    // anything changed in between is refused.
    Result Hold();
    // The started program runs from the file: it stays when the object goes.
    void Keep() { m_bKeep = true; }
    // Closes and deletes the file and its folder at once.
    void Discard();

private:
    CString m_strFolder;
    CDigest m_written{CDigest::SHA256};
};

// MoveFileExA where the system has it; Windows 98/Me only stub it, and there
// the destination is renamed aside, the new file renamed in and the old one
// deleted (ReplaceWithRenames).
bool ReplaceInOneStep(const CString& from, const CString& to);
// The same with MoveFileA and DeleteFileA alone: the old file is back under
// its name when the new one cannot take it.
bool ReplaceWithRenames(const CString& from, const CString& to);
// The access list of the private folder: full control for Administrators and
// SYSTEM, inherited by what is made inside, nothing from the parent folder
// (and, where the token has Administrators only to deny, as Vista gives an
// administrator before elevation, the user's own account, or the assistant
// could not write there itself). The NT family only.
class CPrivateSecurity {
public:
    bool Build();
    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }
    PSECURITY_DESCRIPTOR Descriptor() { return &m_descriptor; }

private:
    std::vector<BYTE> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};

// A folder of an unpredictable name made for this run inside parent (which
// ends with a backslash); on the NT family only Administrators and SYSTEM
// have access. folder ends with a backslash.
bool CreatePrivateFolder(const CString& parent, CString& folder);
// 32 bits from the system's random generator, or from clocks and ids where
// it has none.
DWORD RandomWord();
