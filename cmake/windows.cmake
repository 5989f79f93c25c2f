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

# The program imports only libraries that are known DLLs from NT 4.0 on (and
# the C runtime's msvcrt); every other system library is loaded from the
# system folder at run time (src/framework/SystemLibrary.h), never imported.
# uuid is a static library of interface identifiers.
set(WIN32_LIBS uuid shell32 advapi32 gdi32 user32)
# The tests and tools may import whatever they like.
set(TEST_WIN32_LIBS ole32 oleaut32 comctl32 ws2_32)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
# The program must load on Windows 98 and NT 4.0: their headers' level keeps a
# newer function from compiling by accident (IE 4 brought the WebBrowser
# control we host). Tests and tools may use what the test machine has.
set(PRODUCT_WINDOWS_LEVEL _WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0400)

add_library(tallow_core STATIC ${PORTABLE_SOURCES} ${WIN32_SOURCES})
target_include_directories(tallow_core PUBLIC ${INCLUDE_DIRS})
target_compile_options(tallow_core PRIVATE ${WARNINGS})
target_compile_definitions(tallow_core PRIVATE ${PRODUCT_WINDOWS_LEVEL})
target_link_libraries(tallow_core PUBLIC bearssl ${WIN32_LIBS})

add_executable(TallowFreeInstall WIN32 src/app/main.cpp src/framework/WinMain.cpp src/framework/AnsiRuntime.cpp
               src/framework/ProcessorEntry.cpp src/framework/RuntimeErrors.cpp ${RESOURCE_FILE})
target_link_libraries(TallowFreeInstall PRIVATE tallow_core)
target_compile_definitions(TallowFreeInstall PRIVATE ${PRODUCT_WINDOWS_LEVEL})
# Compiled and linked as it ships in both builds, so that the x86_64 one,
# which stands in for it where 32-bit code cannot run and which the Win32
# tests test, goes the same way: the processor check as the entry point, only
# what is used linked, no run-time type information beyond what exceptions
# carry (nothing of ours asks a type at run time), the runtime's failures
# without the library's heavier handlers (framework/RuntimeErrors.cpp). The
# linker's map keeps the symbols for the release checks.
target_compile_options(tallow_core PRIVATE -ffunction-sections -fdata-sections -fno-rtti)
target_compile_options(TallowFreeInstall PRIVATE -ffunction-sections -fdata-sections -fno-rtti)
# C++20 for the program's own code: there each object instantiates only the
# std::string members it uses, where C++17 links libstdc++'s whole prebuilt
# instantiation (33 KiB). The tests stay C++17 (the C++20 <chrono> cannot be
# compiled to code page 949).
set_target_properties(tallow_core TallowFreeInstall PROPERTIES CXX_STANDARD 20)
set(ENTRY_SYMBOL ProcessorCheckEntry)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(ENTRY_SYMBOL _ProcessorCheckEntry) # C names carry an underscore on 32-bit Windows
endif()
target_link_options(TallowFreeInstall PRIVATE -static -mwindows -Wl,-e,${ENTRY_SYMBOL} -Wl,--gc-sections
                    -Wl,-Map,${CMAKE_BINARY_DIR}/TallowFreeInstall.map)
# The entry point runs before the runtime, so it may use none of it.
set_source_files_properties(src/framework/ProcessorEntry.cpp PROPERTIES COMPILE_OPTIONS
    "-fno-stack-protector;-fno-exceptions;-fno-asynchronous-unwind-tables")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The shipped program. Version 4.0 in the header: the loaders of Windows
    # 98 and NT 4.0 refuse a program that asks for a newer system. The stack
    # protector's runtime links statically (-static) and imports only
    # CryptoAPI functions that 98 and NT 4.0 have.
    # Built for the Pentium Pro, which the toolchain's runtime needs anyway
    # (the entry routine, built for the 386, says so on older processors),
    # and for size, stripped: the visitor downloads it before anything else.
    set(RELEASE_CODE_OPTIONS -march=i686 $<$<CONFIG:Release>:-Os> -fstack-protector-strong)
    target_compile_options(tallow_core PRIVATE ${RELEASE_CODE_OPTIONS})
    target_compile_options(TallowFreeInstall PRIVATE ${RELEASE_CODE_OPTIONS})
    set_property(SOURCE src/framework/ProcessorEntry.cpp APPEND PROPERTY COMPILE_OPTIONS -march=i386)
    # Our own guard set-up: the support library's would load a cryptographic
    # provider before WinMain.
    target_sources(TallowFreeInstall PRIVATE src/framework/StackGuard.cpp)
    set_source_files_properties(src/framework/StackGuard.cpp PROPERTIES COMPILE_OPTIONS -fno-stack-protector)
    target_link_options(TallowFreeInstall PRIVATE -fstack-protector-strong -s
        -Wl,--tsaware
        -Wl,--major-os-version,4,--minor-os-version,0
        -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
endif()

# Signed with the vendor's certificate as it is linked (SHA-1, which every
# supported Windows can check).
set(SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM) for the program")
set(SIGN_KEY "" CACHE FILEPATH "Its private key (PEM)")
set(SIGN_PASS_FILE "" CACHE FILEPATH "A file holding the key's password, if it has one")
if(NOT SIGN_CERT STREQUAL "" OR NOT SIGN_KEY STREQUAL "")
    if(SIGN_CERT STREQUAL "" OR SIGN_KEY STREQUAL "")
        message(FATAL_ERROR "SIGN_CERT and SIGN_KEY go together")
    endif()
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    set(sign_pass)
    if(NOT SIGN_PASS_FILE STREQUAL "")
        set(sign_pass -readpass ${SIGN_PASS_FILE})
    endif()
    add_custom_command(TARGET TallowFreeInstall POST_BUILD
        COMMAND ${OSSLSIGNCODE} sign -h sha1 -certs ${SIGN_CERT} -key ${SIGN_KEY} ${sign_pass}
                -n TallowFreeInstall -in $<TARGET_FILE:TallowFreeInstall> -out $<TARGET_FILE:TallowFreeInstall>.signed
        COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:TallowFreeInstall>.signed $<TARGET_FILE:TallowFreeInstall>
        VERBATIM)
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    include(cmake/wine-tests.cmake)
endif()
option(TALLOW_END_TO_END "Build the stand-ins with this program and run it end to end under Wine" OFF)
if(TALLOW_END_TO_END)
    include(cmake/end-to-end.cmake)
endif()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" OR TALLOW_END_TO_END)
    include(cmake/planted.cmake)
endif()
