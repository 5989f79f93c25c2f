list(APPEND PORTABLE_SOURCES
    src/net/StreamSocket.cpp
    src/net/HttpExchange.cpp
    src/net/DownloadPlanRules.cpp)
list(APPEND WIN32_SOURCES)
# Web-service requests (the reply rules are portable, the requests guarded).
list(APPEND PORTABLE_SOURCES
    src/net/WebClient.cpp)
