# The setup assistant's commands; each first installs what a fresh machine lacks.
#   make demo     build and run the program under Wine, save screenshots in build/demo/
#   make test     build everything and run every test
#   make release  the 32-bit program: $(BUILD)/release/TallowFreeInstall.exe
#   make e2e      the same program pointed at the stand-in, with its 32-bit stand-ins

JOBS ?= $(shell nproc)
# Where the builds go, and the loopback ports of the vendor stand-in that the
# Wine build talks to (change them to run two trees side by side).
BUILD ?= build
WEB_PORT ?= 18080
DOWNLOAD_PORT ?= 18081
# The tests and the demo sign the stand-in's programs with a throwaway key
# and serve a throwaway ODBC driver, both made in the build tree before the
# builds are configured (tools/pki/make-test-pki.sh); the test builds pin
# exactly those.
TEST_PKI = $(abspath $(BUILD))/pki
TEST_PINS = -DVENDOR_KEY_PINS=$$(cat $(TEST_PKI)/signer.pin) -DODBC_DRIVER_SHA256=$$(cat $(TEST_PKI)/driver.sha256)
WINE_CONFIG = -DDOWNLOAD_SERVER_HOST=127.0.0.1 -DDOWNLOAD_SERVER_PORT=$(DOWNLOAD_PORT) \
              -DWEB_SERVICE_HOST=127.0.0.1 -DWEB_SERVICE_PORT=$(WEB_PORT) \
              -DPARTNER_SITE_HOST=127.0.0.1 -DVENDOR_DOMAIN=127.0.0.1 \
              $(TEST_PINS) -DTEST_PKI_DIR=$(TEST_PKI)
# The release: the vendor's pins (or ALLOW_UNSIGNED_PAYLOADS=ON, said on
# purpose), SHA-256 values as CMake lists ("a;b" while a key is rotated), and
# the certificate and key that sign the program itself (both or neither;
# SIGN_PASS_FILE holds the key's password if it has one).
VENDOR_KEY_PINS ?=
ODBC_DRIVER_SHA256 ?=
ALLOW_UNSIGNED_PAYLOADS ?= OFF
SIGN_CERT ?=
SIGN_KEY ?=
SIGN_PASS_FILE ?=
RELEASE_SIGNING = -DVENDOR_KEY_PINS="$(VENDOR_KEY_PINS)" -DODBC_DRIVER_SHA256="$(ODBC_DRIVER_SHA256)" \
                  -DALLOW_UNSIGNED_PAYLOADS=$(ALLOW_UNSIGNED_PAYLOADS) \
                  -DSIGN_CERT="$(SIGN_CERT)" -DSIGN_KEY="$(SIGN_KEY)" -DSIGN_PASS_FILE="$(SIGN_PASS_FILE)"

# The shipped program's toolchain, flags and link; the end-to-end build differs
# only in where the program's servers are (and in the test pins).
# The two compile the same sources with the same flags but for the few that
# read the build's settings: a compiler cache in the build tree compiles the
# rest once.
export CCACHE_DIR = $(abspath $(BUILD))/ccache
export CCACHE_BASEDIR = $(CURDIR)
CACHED = $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
RELEASE_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release $(CACHED)
E2E_DIR = $(abspath $(BUILD))/e2e
DRIVER_DIR = $(abspath $(BUILD))/wine
# Every Wine prefix of the builds is a copy of this one (tests/wine-env.sh).
export WINE_PREFIX_MASTER = $(abspath $(BUILD))/wineprefix-master

.PHONY: deps pki release wine e2e native fuzz test beside demo clean

deps:
	@scripts/install-deps.sh

pki: deps
	tools/pki/make-test-pki.sh $(TEST_PKI)

release: deps
	cmake -S . -B $(BUILD)/release $(RELEASE_CONFIG) $(RELEASE_SIGNING)
	cmake --build $(BUILD)/release -j$(JOBS)

wine: pki
	cmake -S . -B $(BUILD)/wine -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Debug $(WINE_CONFIG)
	cmake --build $(BUILD)/wine -j$(JOBS)

e2e: pki
	cmake -S . -B $(E2E_DIR) $(RELEASE_CONFIG) $(WINE_CONFIG) -DTALLOW_END_TO_END=ON -DTALLOW_TEST_DRIVERS=$(DRIVER_DIR)
	cmake --build $(E2E_DIR) -j$(JOBS)

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug -DTALLOW_SANITIZE=ON
	cmake --build $(BUILD)/native -j$(JOBS)

fuzz: deps
	fuzz/run.sh $(FUZZ_SECONDS) $(BUILD)

FUZZ_SECONDS ?= 15
# make test runs each target briefly; make fuzz is the longer run.
TEST_FUZZ_SECONDS ?= 5

# Wine runs go three at a time where each can have a network namespace of its
# own (tests/slot.sh); elsewhere one after the other. Most of a Wine run is
# waiting (the window shows 8 s after the start), so three share two cores.
SLOTS = $(shell unshare --net true 2>/dev/null && command -v ip >/dev/null && \
                echo "-j3 --resource-spec-file $(CURDIR)/tests/slots.json")

# The Wine runs of both builds (the unit-level tests in shares, the end-to-end
# scenarios) go in one queue. They leave a core idle for much of the time, so
# what needs no window runs beside them at the lowest priority (`make
# beside`, its output shown after theirs): the native tests, the release, the
# fuzzers. The release is built as the vendor would build it, with the
# throwaway pins, certificate and key standing in for the vendor's.
test: native wine e2e
	nice -n 19 $(MAKE) --no-print-directory beside >$(BUILD)/beside.log 2>&1 & \
	tests/e2e/ctest32.sh $(E2E_DIR) --with $(DRIVER_DIR) $(SLOTS); runs=$$?; \
	wait $$!; beside=$$?; cat $(BUILD)/beside.log; [ $$runs -eq 0 ] && [ $$beside -eq 0 ]
	tests/release/selftest.sh
	tests/release/check-release.sh $(BUILD)/release/TallowFreeInstall.exe $(TEST_PKI)
	bench/smoke.sh $(BUILD)

beside:
	cd $(BUILD)/native && ctest --output-on-failure
	$(MAKE) release VENDOR_KEY_PINS=$$(cat $(TEST_PKI)/signer.pin) \
	    ODBC_DRIVER_SHA256=$$(cat $(TEST_PKI)/driver.sha256) ALLOW_UNSIGNED_PAYLOADS=OFF \
	    SIGN_CERT=$(TEST_PKI)/signer.crt SIGN_KEY=$(TEST_PKI)/signer.key SIGN_PASS_FILE=
	fuzz/run.sh $(TEST_FUZZ_SECONDS) $(BUILD)

demo: wine e2e
	WINE_BUILD_DIR=$(DRIVER_DIR) E2E_BUILD_DIR=$(E2E_DIR) tools/demo/demo.sh

clean:
	rm -rf $(BUILD)
