# Linux build of the portable code and its unit tests.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

option(TALLOW_FUZZ "Build the libFuzzer targets instead of the tests (clang only)" OFF)
if(TALLOW_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1)
    add_link_options(-fsanitize=address,undefined)
elseif(TALLOW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(tallow_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(tallow_portable PUBLIC ${INCLUDE_DIRS})
target_compile_options(tallow_portable PRIVATE ${WARNINGS})
target_link_libraries(tallow_portable PUBLIC bearssl Threads::Threads)
# The same standard as the Windows program's build of these sources.
set_target_properties(tallow_portable PROPERTIES CXX_STANDARD 20)

if(TALLOW_FUZZ)
    file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
    foreach(src ${FUZZ_TARGETS})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE tallow_portable)
    endforeach()
    return()
endif()

file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(nativetests ${NATIVE_TESTS})
target_link_libraries(nativetests PRIVATE tallow_portable GTest::gtest_main)
target_compile_definitions(nativetests PRIVATE TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Our downloader's side of bench/http_bench.sh, from the product's own sources.
add_executable(http_bench ${CMAKE_SOURCE_DIR}/bench/http_bench.cpp)
target_link_libraries(http_bench PRIVATE tallow_portable)
# Our publisher check's side of bench/authenticode_bench.sh.
add_executable(authenticode_bench ${CMAKE_SOURCE_DIR}/bench/authenticode_bench.cpp)
target_link_libraries(authenticode_bench PRIVATE tallow_portable)

enable_testing()
add_test(NAME native COMMAND nativetests --gtest_brief=0)
set_tests_properties(native PROPERTIES TIMEOUT 300)
