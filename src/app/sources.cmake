list(APPEND PORTABLE_SOURCES
    src/app/DownloadDialogRule.cpp)
list(APPEND WIN32_SOURCES
    src/app/JoinWebDlg.cpp
    src/app/SetupApp.cpp
    src/app/SetupDlg.cpp
    src/app/WebBrowser2.cpp)
