list(APPEND PORTABLE_SOURCES
    src/install/InstallPaths.cpp)
list(APPEND WIN32_SOURCES
    src/install/InstallDlg.cpp
    src/install/InstallSequence.cpp)
