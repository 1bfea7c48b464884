# Set-up and everyday commands; each installs what a fresh Debian 12 machine lacks for it.
# Building and running the editor needs only these:
RUN_PACKAGES := cmake g++ make pkg-config qt6-base-dev libxcb1-dev \
                nlohmann-json3-dev fonts-dejavu-core
# The .deb: dpkg-shlibdeps finds its dependencies, file tells cpack what to strip.
PACKAGE_PACKAGES := dpkg-dev file
# Tests, benchmarks, the metadata and package checks (lintian) and the Windows tree under Wine.
TEST_PACKAGES := $(PACKAGE_PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev libx11-dev \
                 xvfb xauth desktop-file-utils appstream libxml2-utils shared-mime-info man-db \
                 xdotool openbox g++-mingw-w64-x86-64 wine64 googletest zip unzip \
                 ninja-build xz-utils icoutils lintian time
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: deps deps-package deps-test configure configure-tests build build-tests run check test \
        bench clean install package

deps: NEEDED = $(RUN_PACKAGES)
deps-package: NEEDED = $(RUN_PACKAGES) $(PACKAGE_PACKAGES)
deps-test: NEEDED = $(RUN_PACKAGES) $(TEST_PACKAGES)
deps deps-package deps-test:
	@missing=$$(for p in $(NEEDED); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

# What users run, without tests or benchmarks: for run, install and package.
configure: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DDM_BUILD_BENCHMARKS=OFF

build: configure
	cmake --build build -j $(JOBS)

run: configure
	cmake --build build -j $(JOBS) --target du2damage
	./build/bin/du2damage

install: build
	cmake --install build --prefix $(PREFIX)

# A .deb in build/: apt-get install ./build/du2damage_*.deb
package: deps-package configure
	cmake --build build -j $(JOBS) --target package

# The same tree with the test suites and benchmarks.
configure-tests: deps-test
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DDM_BUILD_BENCHMARKS=ON

build-tests: configure-tests
	cmake --build build -j $(JOBS)

# The native suites only, for a quick loop; make test runs everything.
check: build-tests
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The sanitizer tree holds the Qt-free core and its tests.
.PHONY: build-sanitize
build-sanitize: deps-test
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDM_WITH_QT=OFF -DDM_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build build-sanitize -j $(JOBS)

test: check build-sanitize
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)
	@start=$$(date +%s); $(MAKE) --no-print-directory test-windows && \
	    echo "Windows part of make test: $$(( $$(date +%s) - start )) s"

# The Windows tree: the editor, the core, dmtool and their tests, cross-built with MinGW-w64
# against a static Qt for Windows and run under Wine (its prefix in build-windows/wine).
WINE := /usr/lib/wine/wine64
WINE_ENV := WINEDEBUG=-all WINEPREFIX=$(CURDIR)/build-windows/wine
WINDOWS_ZIP := du2damage-windows-x86_64.zip
.PHONY: qt-windows configure-windows build-windows test-windows dist-windows

# Built once per machine into a cache outside the tree; build-qt.sh says so and how long it takes.
qt-windows: deps-test
	@packaging/windows/build-qt.sh --check || packaging/windows/build-qt.sh

# A tree configured before it was built against Qt is configured anew.
configure-windows: qt-windows
	@grep -qs '^DM_WITH_QT:BOOL=ON' build-windows/CMakeCache.txt || \
	    rm -rf build-windows/CMakeCache.txt build-windows/CMakeFiles
	qt=$$(packaging/windows/build-qt.sh --prefix) && \
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
	    -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DDM_WITH_QT=ON -DBUILD_TESTING=ON \
	    -DDM_GTEST_SOURCE_DIR=/usr/src/googletest

build-windows: configure-windows
	cmake --build build-windows -j $(JOBS)

# The tree's own Wine prefix is made once, before the suites run side by side.
test-windows: build-windows dist-windows
	$(WINE_ENV) $(WINE) wineboot --init
	cd build-windows && ctest --output-on-failure -j $(JOBS)
	tests/windows/zip_smoke_test.sh $(WINDOWS_ZIP) samples

# The portable download: unzipped anywhere, the settings file lives beside the editor.
dist-windows: configure-windows
	cmake --build build-windows -j $(JOBS) --target du2damage dmtool
	rm -rf build-windows/dist $(WINDOWS_ZIP)
	mkdir -p build-windows/dist
	cp build-windows/bin/du2damage.exe build-windows/bin/dmtool.exe data/*.txt build-windows/dist/
	x86_64-w64-mingw32-strip build-windows/dist/*.exe
	sed 's/$$/\r/' packaging/windows/README.txt > build-windows/dist/README.txt
	sed 's/$$/\r/' LICENSE > build-windows/dist/LICENSE.txt
	packaging/windows/build-qt.sh --notice | sed 's/$$/\r/' > build-windows/dist/QT-NOTICE.txt
	cd build-windows/dist && zip -q -X ../../$(WINDOWS_ZIP) *
	@echo "Made $(WINDOWS_ZIP) ($$(du -k $(WINDOWS_ZIP) | cut -f1) KB)"

# Under a virtual X server: the About box's explode effect needs a real window system.
bench: build-tests
	QT_QPA_PLATFORM=xcb xvfb-run -a ./build/bin/dm_bench --benchmark_filter=-BM_PasteHugeText
	./bench/dmtool_vs_cat.sh
	./bench/peak_memory.sh
	xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ./bench/startup/startup.sh build/bin

clean:
	rm -rf build build-sanitize build-windows $(WINDOWS_ZIP)
