list(APPEND PORTABLE_SOURCES
    src/framework/String.cpp
    src/framework/File.cpp)
list(APPEND WIN32_SOURCES
    src/framework/Thread.cpp
    src/framework/Wnd.cpp
    src/framework/Dialog.cpp
    src/framework/Controls.cpp
    src/framework/App.cpp
    src/framework/FileFind.cpp
    src/framework/Registry.cpp
    src/framework/Socket.cpp
    src/framework/Winsock.cpp
    src/framework/Ole.cpp
    src/framework/ResString.cpp
    src/framework/SystemLibrary.cpp)
# WinINet session for the web-service requests.
list(APPEND WIN32_SOURCES
    src/framework/InternetSession.cpp
    src/framework/InternetCall.cpp
    src/framework/WinInet.cpp)
