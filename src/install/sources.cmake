list(APPEND PORTABLE_SOURCES
    src/install/InstallPaths.cpp
    src/install/OsKindRules.cpp
    src/install/DownloadPlanRules.cpp)
list(APPEND WIN32_SOURCES
    src/install/InstallDlg.cpp
    src/install/InstallSequence.cpp
    src/install/DownloadPlan.cpp
    src/install/DownloadWorker.cpp
    src/install/LaunchSetup.cpp
    src/install/OdbcRepair.cpp
    src/install/SystemChecks.cpp)
