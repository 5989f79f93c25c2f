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

# WinINet and the IP helper are loaded from the system folder at run time
# (src/framework/SystemLibrary.h), never imported.
set(WIN32_LIBS ole32 oleaut32 uuid comctl32 ws2_32 shell32 advapi32 gdi32 user32 msimg32)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
# The program must load on Windows 98 and NT 4.0: their headers' level keeps a
# newer function from compiling by accident (IE 4 brought the WebBrowser
# control we host). Tests and tools may use what the test machine has.
set(PRODUCT_WINDOWS_LEVEL _WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0400)

add_library(tallow_core STATIC ${PORTABLE_SOURCES} ${WIN32_SOURCES})
target_include_directories(tallow_core PUBLIC ${INCLUDE_DIRS})
target_compile_options(tallow_core PRIVATE ${WARNINGS})
target_compile_definitions(tallow_core PRIVATE ${PRODUCT_WINDOWS_LEVEL})
target_link_libraries(tallow_core PUBLIC ${WIN32_LIBS})

add_executable(TallowFreeInstall WIN32 src/app/main.cpp src/framework/WinMain.cpp src/framework/AnsiRuntime.cpp
               ${RESOURCE_FILE})
target_link_libraries(TallowFreeInstall PRIVATE tallow_core)
target_compile_definitions(TallowFreeInstall PRIVATE ${PRODUCT_WINDOWS_LEVEL})
target_link_options(TallowFreeInstall PRIVATE -static -mwindows)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The shipped program. Version 4.0 in the header: the loaders of Windows
    # 98 and NT 4.0 refuse a program that asks for a newer system. The stack
    # protector's runtime links statically (-static) and imports only
    # CryptoAPI functions that 98 and NT 4.0 have.
    target_compile_options(tallow_core PRIVATE -fstack-protector-strong)
    target_compile_options(TallowFreeInstall PRIVATE -fstack-protector-strong)
    target_link_options(TallowFreeInstall PRIVATE -fstack-protector-strong
        -Wl,--tsaware
        -Wl,--major-os-version,4,--minor-os-version,0
        -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    include(cmake/wine-tests.cmake)
endif()
