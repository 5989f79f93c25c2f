# The setup assistant's commands; each first installs what a fresh machine lacks.
#   make demo     build and run the program under Wine, save screenshots in build/demo/
#   make test     build everything and run every test
#   make release  the 32-bit program: build/release/TallowFreeInstall.exe

JOBS ?= $(shell nproc)
# The Wine build talks to the vendor stand-in on loopback.
WINE_CONFIG = -DDOWNLOAD_SERVER_HOST=127.0.0.1 -DDOWNLOAD_SERVER_PORT=18081 \
              -DWEB_SERVICE_HOST=127.0.0.1 -DWEB_SERVICE_PORT=18080 \
              -DPARTNER_SITE_HOST=127.0.0.1 -DVENDOR_DOMAIN=127.0.0.1

.PHONY: deps release wine native test demo clean

deps:
	@scripts/install-deps.sh

release: deps
	cmake -S . -B build/release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j$(JOBS)

wine: deps
	cmake -S . -B build/wine -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Debug $(WINE_CONFIG)
	cmake --build build/wine -j$(JOBS)

native: deps
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DTALLOW_SANITIZE=ON
	cmake --build build/native -j$(JOBS)

test: release native wine
	cd build/native && ctest --output-on-failure
	cd build/wine && ctest --output-on-failure
	tests/release/check-release.sh build/release/TallowFreeInstall.exe

demo: wine
	tools/demo/demo.sh

clean:
	rm -rf build
