list(APPEND PORTABLE_SOURCES
    src/net/StreamSocket.cpp
    src/net/HttpExchange.cpp
    src/net/DownloadKind.cpp
    src/net/DerReader.cpp
    src/net/Digest.cpp
    src/net/Authenticode.cpp)
list(APPEND WIN32_SOURCES
    src/net/FilePlacement.cpp
    src/net/Publisher.cpp)
# Web-service requests (the reply rules are portable, the requests guarded).
list(APPEND PORTABLE_SOURCES
    src/net/WebClient.cpp)
