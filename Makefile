# The setup assistant's commands; each first installs what a fresh machine lacks.
#   make demo     build and run the program under Wine, save screenshots in build/demo/
#   make test     build everything and run every test
#   make release  the 32-bit program: $(BUILD)/release/TallowFreeInstall.exe

JOBS ?= $(shell nproc)
# Where the builds go, and the loopback ports of the vendor stand-in that the
# Wine build talks to (change them to run two trees side by side).
BUILD ?= build
WEB_PORT ?= 18080
DOWNLOAD_PORT ?= 18081
WINE_CONFIG = -DDOWNLOAD_SERVER_HOST=127.0.0.1 -DDOWNLOAD_SERVER_PORT=$(DOWNLOAD_PORT) \
              -DWEB_SERVICE_HOST=127.0.0.1 -DWEB_SERVICE_PORT=$(WEB_PORT) \
              -DPARTNER_SITE_HOST=127.0.0.1 -DVENDOR_DOMAIN=127.0.0.1

.PHONY: deps release wine native fuzz test demo clean

deps:
	@scripts/install-deps.sh

release: deps
	cmake -S . -B $(BUILD)/release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD)/release -j$(JOBS)

wine: deps
	cmake -S . -B $(BUILD)/wine -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Debug $(WINE_CONFIG)
	cmake --build $(BUILD)/wine -j$(JOBS)

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug -DTALLOW_SANITIZE=ON
	cmake --build $(BUILD)/native -j$(JOBS)

fuzz: deps
	fuzz/run.sh $(FUZZ_SECONDS) $(BUILD)

FUZZ_SECONDS ?= 15

test: release native wine
	cd $(BUILD)/native && ctest --output-on-failure
	cd $(BUILD)/wine && ctest --output-on-failure
	tests/release/selftest.sh
	tests/release/check-release.sh $(BUILD)/release/TallowFreeInstall.exe
	fuzz/run.sh $(FUZZ_SECONDS) $(BUILD)

demo: wine
	tools/demo/demo.sh

clean:
	rm -rf $(BUILD)
