# Linux build of the portable code and its unit tests.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

if(TALLOW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(tallow_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(tallow_portable PUBLIC ${INCLUDE_DIRS})
target_compile_options(tallow_portable PRIVATE ${WARNINGS})
target_link_libraries(tallow_portable PUBLIC Threads::Threads)

file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(nativetests ${NATIVE_TESTS})
target_link_libraries(nativetests PRIVATE tallow_portable GTest::gtest_main)
target_compile_definitions(nativetests PRIVATE TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

enable_testing()
add_test(NAME native COMMAND nativetests --gtest_brief=0)
set_tests_properties(native PROPERTIES TIMEOUT 300)

# Fuzz targets need clang's libFuzzer: cmake -DCMAKE_CXX_COMPILER=clang++ -DTALLOW_FUZZ=ON
option(TALLOW_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(TALLOW_FUZZ)
    file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
    foreach(src ${FUZZ_TARGETS})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE tallow_portable)
    endforeach()
endif()
