# Set-up and everyday commands; each installs what a fresh Debian 12 machine lacks.
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libx11-dev nlohmann-json3-dev xvfb xauth fonts-dejavu-core \
            desktop-file-utils appstream libxml2-utils shared-mime-info man-db dpkg-dev file xdotool openbox
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean install package

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

configure: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DDM_BUILD_BENCHMARKS=ON

build: configure
	cmake --build build -j $(JOBS)

run: configure
	cmake --build build -j $(JOBS) --target du2damage
	./build/bin/du2damage

install: build
	cmake --install build --prefix $(PREFIX)

# A .deb in build/: apt-get install ./build/du2damage_*.deb
package: build
	cmake --build build --target package

# The sanitizer tree holds the Qt-free core and its tests.
.PHONY: build-sanitize
build-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDM_WITH_QT=OFF -DDM_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build build-sanitize -j $(JOBS)

test: build build-sanitize
	cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

# Under a virtual X server: the About box's explode effect needs a real window system.
bench: build
	QT_QPA_PLATFORM=xcb xvfb-run -a ./build/bin/dm_bench
	./bench/dmtool_vs_cat.sh
	xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ./bench/startup/startup.sh build/bin

clean:
	rm -rf build build-sanitize
