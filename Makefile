# Scoutwell: every set-up step of a fresh Debian machine behind two commands,
# `make run` and `make test`.
BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
PREFIX     ?= /usr/local

.PHONY: deps configure build run install test tsan clean

deps:
	@scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/bin/scoutwell

# The program, its desktop entry, icon, .srf MIME type and help page under PREFIX; the
# desktop's caches are refreshed where their tools exist.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	-command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime
	-command -v update-desktop-database >/dev/null && update-desktop-database $(PREFIX)/share/applications

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# The engine's tests, threads included, under ThreadSanitizer in a build folder of their own.
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_TSAN=ON
	cmake --build build-tsan --target engine_tests platform_tests
	TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/engine_tests
	TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/platform_tests

clean:
	rm -rf $(BUILD_DIR) build-tsan
