// The three encrypted information files left for the product: fixed-size
// records, Blowfish ECB under the key "qotplanv", preceded by their length.
#pragma once

#include "framework/String.h"

#include <vector>

typedef std::vector<unsigned char> InfoRecord;

// Record layouts (portable). Each text goes into a zero-filled field of fixed
// width; a text of the width or longer is cut to it and then has no
// terminating zero. That holds for the basic record's 256- and 30-byte fields
// too, so no text ever reaches past its field.
InfoRecord BuildPartnerInfoRecord(const CString& field0, const CString& userId, const CString& field2);
InfoRecord BuildUserInfoRecord(const CString& accountId, const CString& reply3, int joinNumber,
                               const CString& machineId);
InfoRecord BuildBasicInfoRecord(const CString& serviceLabel, const CString& vendorDomain, const CString& versionDir);

// The file bytes: 4-byte little-endian length, then the encrypted record.
std::vector<unsigned char> EncryptInfoRecord(const InfoRecord& record);

#ifdef _WIN32
// Deletes path (ignoring failure), optionally resets its attributes to normal,
// then creates it with the encrypted record. FALSE when it cannot be written.
BOOL WriteInfoFile(const CString& path, const InfoRecord& record, BOOL bResetAttributes);
// Where an information file goes: the Windows folder on the 9x family
// (IsWin9xOsKind), the product download folder otherwise.
CString InfoFilePath(DWORD osKind, const char* pszFileName);
#endif
