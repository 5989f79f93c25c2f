# BearSSL for RSA signature checks, SHA-1 and SHA-256, built from Debian's
# source package for whichever toolchain this build uses. scripts/install-deps.sh
# fetches the package into deps/bearssl; only the files named with their
# checksums in scripts/bearssl.sha256 are accepted, and the sources compiled
# are the ones unpacked here from that very tarball. Only what the checks use
# is built: no allocation, no system call, so the program imports nothing new.
set(BEARSSL_PINS ${CMAKE_SOURCE_DIR}/scripts/bearssl.sha256)
set(BEARSSL_FETCHED ${CMAKE_SOURCE_DIR}/deps/bearssl)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BEARSSL_PINS})

file(STRINGS ${BEARSSL_PINS} pinned)
set(BEARSSL_TARBALL)
foreach(line ${pinned})
    if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
        message(FATAL_ERROR "${BEARSSL_PINS}: unreadable line \"${line}\"")
    endif()
    set(want ${CMAKE_MATCH_1})
    set(file ${BEARSSL_FETCHED}/${CMAKE_MATCH_2})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: run scripts/install-deps.sh (as root)")
    endif()
    file(SHA256 ${file} got)
    if(NOT got STREQUAL want)
        message(FATAL_ERROR "${file} is not the pinned BearSSL source (SHA-256 ${got}, pinned ${want})")
    endif()
    if(file MATCHES "[.]orig[.]tar[.]xz$")
        set(BEARSSL_TARBALL ${file})
        set(BEARSSL_TARBALL_SHA256 ${want})
    endif()
endforeach()
if(NOT BEARSSL_TARBALL)
    message(FATAL_ERROR "${BEARSSL_PINS} pins no source tarball")
endif()

set(BEARSSL_UNPACKED ${CMAKE_BINARY_DIR}/bearssl)
set(stamp ${BEARSSL_UNPACKED}/unpacked-from)
if(NOT EXISTS ${stamp})
    set(unpacked_from "")
else()
    file(READ ${stamp} unpacked_from)
endif()
if(NOT unpacked_from STREQUAL BEARSSL_TARBALL_SHA256)
    file(REMOVE_RECURSE ${BEARSSL_UNPACKED})
    file(ARCHIVE_EXTRACT INPUT ${BEARSSL_TARBALL} DESTINATION ${BEARSSL_UNPACKED})
    file(WRITE ${stamp} ${BEARSSL_TARBALL_SHA256})
endif()
file(GLOB BEARSSL_ROOT LIST_DIRECTORIES true ${BEARSSL_UNPACKED}/bearssl-*)
if(NOT EXISTS ${BEARSSL_ROOT}/inc/bearssl_rsa.h)
    message(FATAL_ERROR "${BEARSSL_TARBALL} did not unpack into one bearssl-* folder")
endif()

set(BEARSSL_SOURCES
    codec/ccopy.c codec/dec32be.c codec/enc32be.c
    hash/sha1.c hash/sha2small.c
    int/i31_add.c int/i31_bitlen.c int/i31_decmod.c int/i31_decode.c int/i31_encode.c int/i31_fmont.c
    int/i31_modpow2.c int/i31_montmul.c int/i31_muladd.c int/i31_ninv31.c int/i31_sub.c int/i31_tmont.c
    int/i32_div32.c
    rsa/rsa_i31_pkcs1_vrfy.c rsa/rsa_i31_pub.c rsa/rsa_pkcs1_sig_unpad.c)
list(TRANSFORM BEARSSL_SOURCES PREPEND ${BEARSSL_ROOT}/src/)
add_library(bearssl STATIC ${BEARSSL_SOURCES})
target_include_directories(bearssl SYSTEM PUBLIC ${BEARSSL_ROOT}/inc)
target_include_directories(bearssl PRIVATE ${BEARSSL_ROOT}/src)
set_target_properties(bearssl PROPERTIES C_STANDARD 99 POSITION_INDEPENDENT_CODE OFF)
