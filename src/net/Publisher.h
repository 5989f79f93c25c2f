// Whether a downloaded program comes from the vendor: its embedded Authenticode
// signature (SHA-1, as the oldest systems check) must match the file, be made
// by a certificate whose subject common name is exactly the vendor's, and that
// certificate must lead to a root the machine trusts (Local Machine "Root").
#pragma once

#include <windows.h>

// hFile must be open for reading, and nobody else may write the file while
// this runs and until the caller has loaded or started it. path names the same
// file (the system's verifier wants it beside the handle). False for anything
// that is not exactly that: no signature, a changed byte, another signer, an
// untrusted root, or a system without the libraries to check.
bool VerifyPublisher(HANDLE hFile, LPCSTR path, LPCSTR signer);

// Tests take the way of systems whose crypt32 cannot build chains itself
// (before Internet Explorer 5): the issuers are then looked up one by one.
void VerifyPublisherWithoutChainEngine(bool without);
