// Puts the throwaway test authority into the machine's trusted roots (Local
// Machine "Root") of the Wine prefix, and takes it out again.
#pragma once

// derPath: the certificate, DER-encoded. True when the store holds it
// (trusted) or no longer holds it (not trusted) afterwards.
bool SetRootTrusted(const char* derPath, bool trusted);

// Whether the machine's trusted roots hold it now.
bool IsRootTrusted(const char* derPath);
