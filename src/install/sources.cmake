list(APPEND PORTABLE_SOURCES
    src/install/InstallPaths.cpp)
list(APPEND WIN32_SOURCES
    src/install/InstallSequence.cpp)
