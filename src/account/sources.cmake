list(APPEND PORTABLE_SOURCES)
list(APPEND WIN32_SOURCES)
# Cipher, information files, partner cookie and tokenizer (their Win32 parts
# are guarded inside the files).
list(APPEND PORTABLE_SOURCES
    src/account/Blowfish.cpp
    src/account/BlowfishTables.cpp
    src/account/InfoCipher.cpp
    src/account/InfoFiles.cpp
    src/account/PartnerCookie.cpp
    src/account/Tokenizer.cpp)
# Sign-in and sign-up (rules portable, requests guarded) and the partner check.
list(APPEND PORTABLE_SOURCES
    src/account/Account.cpp)
list(APPEND WIN32_SOURCES
    src/account/PartnerCheck.cpp)
