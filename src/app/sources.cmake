list(APPEND PORTABLE_SOURCES)
list(APPEND WIN32_SOURCES
    src/app/SetupApp.cpp
    src/app/SetupDlg.cpp)
