# GoogleTest built with the MinGW toolchain, and the Win32-level tests run
# under Wine by tests/win/run-wine.sh (private prefix, Xvfb, time limit).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# What the tests and the demo driver share (tests/win/support): one library.
file(GLOB TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(testsupport STATIC ${TEST_SUPPORT})
target_link_libraries(testsupport PUBLIC tallow_core ${TEST_WIN32_LIBS})
# The download tests' fixture is a GoogleTest one.
target_link_libraries(testsupport PRIVATE gtest)
target_include_directories(testsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests/win)
target_compile_definitions(testsupport PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601)

file(GLOB WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(wintests ${WIN_TESTS} ${RESOURCE_FILE})
target_link_libraries(wintests PRIVATE testsupport tallow_core gtest ws2_32)
target_link_options(wintests PRIVATE -static)
target_compile_definitions(wintests PRIVATE TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" _WIN32_WINNT=0x0601 WINVER=0x0601)

file(GLOB TOOL_DIRS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/CMakeLists.txt)
foreach(tool ${TOOL_DIRS})
    get_filename_component(dir ${tool} DIRECTORY)
    get_filename_component(name ${dir} NAME)
    add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/tools/${name})
endforeach()

# Figures the tests do not judge: bench/watcher_latency.sh runs watcherbench,
# bench/install_timeline.sh runs timeline and floor (a minimal dialog program).
add_executable(watcherbench ${CMAKE_SOURCE_DIR}/bench/watcher_latency.cpp ${RESOURCE_FILE})
target_link_libraries(watcherbench PRIVATE testsupport tallow_core)
add_executable(timeline ${CMAKE_SOURCE_DIR}/bench/timeline.cpp)
add_executable(floor WIN32 ${CMAKE_SOURCE_DIR}/bench/floor.cpp)
foreach(bench watcherbench timeline floor)
    target_link_options(${bench} PRIVATE -static)
endforeach()

# The Win32 tests copy them from here.
add_dependencies(wintests VestaINet VestaINetStdcall VestaINetNoRelease setupstub)

# The unit-level Win32 tests, in five shares that `make test` runs beside the
# end-to-end scenarios, each in a slot of its own (tests/slot.sh); the longest
# entries go first (COST). The end-to-end tests in the same program drive the
# shipped 32-bit build instead (cmake/end-to-end.cmake).
enable_testing()
set(RUN_WINE ${CMAKE_SOURCE_DIR}/tests/win/run-wine.sh)
set(WINE_SHARES 5)
math(EXPR last "${WINE_SHARES} - 1")
foreach(shard RANGE ${last})
    add_test(NAME wine.${shard} COMMAND ${RUN_WINE} --standin 600 ${CMAKE_BINARY_DIR}/wintests.exe
                                        --gtest_filter=-EndToEnd.*:*/InstallOn.*)
    set_tests_properties(wine.${shard} PROPERTIES TIMEOUT 660 RESOURCE_GROUPS slot:1 COST 70
                         ENVIRONMENT "GTEST_TOTAL_SHARDS=${WINE_SHARES};GTEST_SHARD_INDEX=${shard}")
endforeach()
