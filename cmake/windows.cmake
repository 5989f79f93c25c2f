# Windows builds (MinGW): the program, and with the x86_64 toolchain the
# Win32-level tests that run under Wine.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(MANIFEST_ARCH X86)
else()
    set(MANIFEST_ARCH amd64)
endif()
configure_file(src/res/TallowFreeInstall.manifest.in ${CMAKE_BINARY_DIR}/generated/TallowFreeInstall.manifest @ONLY)
set(RESOURCE_FILE ${CMAKE_SOURCE_DIR}/src/res/TallowFreeInstall.rc)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src/res -I${CMAKE_BINARY_DIR}/generated")
enable_language(RC)

set(WIN32_LIBS ole32 oleaut32 uuid comctl32 wininet ws2_32 iphlpapi shell32 advapi32 gdi32 user32 msimg32)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

add_library(tallow_core STATIC ${PORTABLE_SOURCES} ${WIN32_SOURCES})
target_include_directories(tallow_core PUBLIC ${INCLUDE_DIRS})
target_compile_options(tallow_core PRIVATE ${WARNINGS})
target_link_libraries(tallow_core PUBLIC ${WIN32_LIBS})

add_executable(TallowFreeInstall WIN32 src/app/main.cpp src/framework/WinMain.cpp ${RESOURCE_FILE})
target_link_libraries(TallowFreeInstall PRIVATE tallow_core)
target_link_options(TallowFreeInstall PRIVATE -static -mwindows)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    include(cmake/wine-tests.cmake)
endif()
option(TALLOW_END_TO_END "Build the stand-ins with this program and run it end to end under Wine" OFF)
if(TALLOW_END_TO_END)
    include(cmake/end-to-end.cmake)
endif()
