// What the assistant accepts of the vendor's files, decided by our own code
// alike on every Windows: a program or library carries an embedded
// Authenticode signature made with a pinned key, and the ODBC driver is one
// of the pinned files. No certificate store, no chain, no dates: the pin is
// the trust (see the README, "Signed programs").
#pragma once

#include "net/ByteSource.h"

enum class AuthenticodeResult {
    Verified,          // a signature made with a pinned key verifies
    NotAnImage,        // no PE image, or its headers lie outside the file
    Unsigned,          // no certificate table
    BadTable,          // the table is not exactly one PKCS #7 entry ending the file, its DER
                       // followed by at most 7 zero bytes
    Malformed,         // a signature not as Authenticode writes it: DER, structure, algorithms
    BadSignature,      // a signature that its certificate's key did not make
    NotForCodeSigning, // a signer certificate whose extended key usage leaves out code signing
    ImageChanged,      // the image's digest is not the signed one
    NotPinned,         // no signature that verifies is made with a pinned key
    Unreadable,        // the file could not be read
};

// keyPins: the SHA-256 values of the DER SubjectPublicKeyInfo of the keys
// accepted (IsPinned). A file signed with SHA-1 and SHA-256 at once (a
// nested signature) passes when one of its signatures verifies fully and is
// made with a pinned key; every signature must be well formed.
AuthenticodeResult VerifyAuthenticode(CByteSource& file, const char* keyPins);

// Whether the SHA-256 of the whole file is one of pins.
bool IsPinnedFile(CByteSource& file, const char* pins);
