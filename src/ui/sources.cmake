list(APPEND PORTABLE_SOURCES
    src/ui/ProgressGeometry.cpp)
list(APPEND WIN32_SOURCES
    src/ui/SkinImage.cpp
    src/ui/SkinButton.cpp
    src/ui/BusyProgressCtrl.cpp
    src/ui/SkinLabel.cpp)
