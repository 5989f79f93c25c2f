list(APPEND PORTABLE_SOURCES
    src/net/StreamSocket.cpp
    src/net/HttpExchange.cpp
    src/net/DownloadPlanRules.cpp
    src/net/DerReader.cpp
    src/net/Digest.cpp
    src/net/Authenticode.cpp)
list(APPEND WIN32_SOURCES
    src/net/FilePlacement.cpp
    src/net/DownloadPlan.cpp
    src/net/LaunchSetup.cpp
    src/net/Publisher.cpp
    src/net/Download.cpp)
# Web-service requests (the reply rules are portable, the requests guarded).
list(APPEND PORTABLE_SOURCES
    src/net/WebClient.cpp)
