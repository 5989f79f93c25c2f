# The planted-library check's programs (tests/e2e/planted-libraries.sh): a
# library that leaves a marker when it is loaded, and a control program that
# loads a library by name. Built with the 32-bit program and with the x86_64
# one that stands in for it on machines without 32-bit code.
add_library(planted SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/Planted.cpp)
set_target_properties(planted PROPERTIES PREFIX "")
target_link_options(planted PRIVATE -static)
add_executable(loadsbyname ${CMAKE_SOURCE_DIR}/tests/e2e/planted/LoadsByName.cpp)
target_link_options(loadsbyname PRIVATE -static)
