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
