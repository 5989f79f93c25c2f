list(APPEND PORTABLE_SOURCES)
list(APPEND WIN32_SOURCES
    src/install/InstallSequence.cpp)
