list(APPEND PORTABLE_SOURCES
    src/net/StreamSocket.cpp
    src/net/HttpExchange.cpp
    src/net/DownloadPlanRules.cpp)
list(APPEND WIN32_SOURCES)
