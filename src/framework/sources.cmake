list(APPEND PORTABLE_SOURCES
    src/framework/String.cpp
    src/framework/File.cpp
    src/framework/Thread.cpp)
list(APPEND WIN32_SOURCES
    src/framework/Wnd.cpp
    src/framework/Dialog.cpp
    src/framework/Controls.cpp
    src/framework/App.cpp
    src/framework/FileFind.cpp
    src/framework/Registry.cpp
    src/framework/Socket.cpp
    src/framework/ResString.cpp)
# WinINet session for the web-service requests.
list(APPEND WIN32_SOURCES
    src/framework/InternetSession.cpp)
