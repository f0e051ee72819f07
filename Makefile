# The two entry points of the README; everything else is CMake's.
BUILD ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
JOBS ?= $(shell nproc)

.PHONY: setup build demo test test-release test-asan fuzz-smoke cross-windows install clean \
	format check-format

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	scripts/demo.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# What users get from a release build (-O3, no assertions): the optimiser sees more and warns
# about more. The long tests are left to `make test`.
test-release: setup
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	ctest --test-dir $(RELEASE_BUILD) --output-on-failure -j $(JOBS) -LE long

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz-smoke: setup
	scripts/fuzz.sh smoke

# The control alone, cross-compiled for Windows: proves it builds there as it grows.
cross-windows: setup
	cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DQV_BACKENDS=OFF -DQV_TESTS=OFF -DQV_BENCH=OFF
	cmake --build build-mingw -j $(JOBS)

format: setup
	scripts/check-format.sh --fix

check-format: setup
	scripts/check-format.sh

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) build-fuzz build-mingw build-tidy
