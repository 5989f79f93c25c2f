# The end-to-end runs of the program this build makes (with the release
# toolchain and flags: the shipped 32-bit program, pointed at the stand-in),
# under 32-bit Wine, one CTest entry per scenario so that one hang costs one
# entry. Each entry takes a "slot" (tests/slot.sh): `make test` runs two at a
# time, each in a network namespace with its own prefix and stand-in. Where the machine cannot execute 32-bit code, the same entries run
# the x86_64 build of the same sources instead (tests/e2e/run32.sh). The scenarios live in the x86_64 test program (tests/win/EndToEndTest.cpp),
# which drives the program from outside; the 32-bit stand-ins it downloads are
# built here.
foreach(tool partnerdll setupstub)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools/${tool} ${CMAKE_BINARY_DIR}/tools/${tool})
endforeach()

set(TALLOW_TEST_DRIVERS "${CMAKE_BINARY_DIR}/../wine" CACHE PATH
    "The x86_64 test build whose wintests.exe and demodriver.exe drive the runs")

# One entry per scenario, read from the test source so that none is left out.
set(E2E_SOURCE ${CMAKE_SOURCE_DIR}/tests/win/EndToEndTest.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E2E_SOURCE})
file(STRINGS ${E2E_SOURCE} E2E_LINES REGEX "^TEST_F\\(EndToEnd, |Family{\"")
set(E2E_SCENARIOS)
foreach(line ${E2E_LINES})
    if(line MATCHES "^TEST_F\\(EndToEnd, ([A-Za-z0-9_]+)\\)")
        list(APPEND E2E_SCENARIOS "EndToEnd.${CMAKE_MATCH_1}")
    elseif(line MATCHES "Family{\"([a-z0-9]+)\"")
        list(APPEND E2E_SCENARIOS "Families/InstallOn.InstallsAndStartsTheSetupProgram/${CMAKE_MATCH_1}")
    endif()
endforeach()

enable_testing()
set(RUN32 ${CMAKE_SOURCE_DIR}/tests/e2e/run32.sh)
foreach(scenario ${E2E_SCENARIOS})
    string(REGEX REPLACE "^.*[./]" "" short "${scenario}")
    if(scenario MATCHES "^Families/InstallOn[.]")
        set(short "InstallOn.${short}")
    endif()
    add_test(NAME e2e32.${short}
             COMMAND ${RUN32} ${CMAKE_BINARY_DIR} 180 ${TALLOW_TEST_DRIVERS}/wintests.exe --gtest_filter=${scenario})
    set_tests_properties(e2e32.${short} PROPERTIES TIMEOUT 240 RESOURCE_GROUPS slot:1)
endforeach()

# The call into the partner's library, with both conventions, in this build.
add_executable(partnercall ${CMAKE_SOURCE_DIR}/tests/e2e/PartnerCallCheck.cpp)
target_include_directories(partnercall PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(partnercall PRIVATE ${WARNINGS})
target_link_options(partnercall PRIVATE -static)
add_dependencies(partnercall VestaINet VestaINetStdcall)
# 77: skipped where this machine cannot execute 32-bit code (the reason is printed).
add_test(NAME e2e32.PartnerCallsLeaveTheStackRight
         COMMAND ${RUN32} --needs-32-bit "the partner call's check of both calling conventions"
                 ${CMAKE_BINARY_DIR} 60 ${CMAKE_BINARY_DIR}/partnercall.exe VestaINet.dll VestaINetStdcall.dll)
set_tests_properties(e2e32.PartnerCallsLeaveTheStackRight PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77
                     RESOURCE_GROUPS slot:1)

# The demo with this program, its screenshots checked.
add_test(NAME e2e32.demo COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/demo-test.sh ${CMAKE_BINARY_DIR} ${TALLOW_TEST_DRIVERS})
set_tests_properties(e2e32.demo PROPERTIES TIMEOUT 400 RESOURCE_GROUPS slot:1 COST 30)

# Libraries planted beside the program are never loaded (the check's own
# programs are built by every Windows build: cmake/planted.cmake).
add_test(NAME e2e32.PlantedLibrariesAreNeverLoaded
         COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/planted-libraries.sh ${CMAKE_BINARY_DIR} ${TALLOW_TEST_DRIVERS})
set_tests_properties(e2e32.PlantedLibrariesAreNeverLoaded PROPERTIES TIMEOUT 300 RESOURCE_GROUPS slot:1)
