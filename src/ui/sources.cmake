list(APPEND PORTABLE_SOURCES)
list(APPEND WIN32_SOURCES
    src/ui/SkinImage.cpp
    src/ui/SkinButton.cpp)
