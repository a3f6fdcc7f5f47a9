# Scoutwell: every set-up step of a fresh Debian machine behind two commands,
# `make run` and `make test`.
BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_CXX     ?= clang++-14

.PHONY: deps test-deps configure build run install test deb tsan tsan-engine ci bench sanitize \
	fuzz clean

# What building and running need; the tests' and the package's tools come with their targets.
deps:
	@scripts/deps.sh

test-deps:
	@scripts/deps.sh test

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

# The test tools first, so that the configuration finds GoogleTest and the Nautilus headers.
test: test-deps
	$(MAKE) build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error

# The Debian package of the build in BUILD_DIR (built first where needed), then lintian,
# appstreamcli and desktop-file-validate over it: packaging/make-deb.sh says how.
deb:
	@scripts/deps.sh deb
	$(MAKE) build
	packaging/make-deb.sh $(BUILD_DIR)

# The engine's, the platform's and the search window's tests (eight search windows stopped
# and restarted at random among them) under ThreadSanitizer in a build folder of their own.
# Qt is not instrumented: what it allocates and frees on its own threads is left out.
TSAN_RUN = TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1"
tsan: test-deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_TSAN=ON
	cmake --build build-tsan --target engine_tests platform_tests gui_tests
	$(TSAN_RUN) build-tsan/bin/engine_tests
	$(TSAN_RUN) build-tsan/bin/platform_tests
	mkdir -p build-tsan/gui-test-config
	$(TSAN_RUN) QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$(CURDIR)/build-tsan/gui-test-config \
		build-tsan/bin/gui_tests

# The engine's and the platform's tests alone under ThreadSanitizer, as CI runs them.
tsan-engine: test-deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_TSAN=ON
	cmake --build build-tsan --target engine_tests platform_tests
	$(TSAN_RUN) build-tsan/bin/engine_tests
	$(TSAN_RUN) build-tsan/bin/platform_tests

# What CI runs: the whole test suite, the package made from the same build and checked,
# the engine and platform tests under ThreadSanitizer, and every fuzz target for 20 seconds.
ci: test
	$(MAKE) deb
	$(MAKE) tsan-engine
	$(MAKE) fuzz FUZZ_SECONDS=20

# Scoutwell against find, fd, grep and ripgrep (bench/run.sh says how).
bench: deps
	bench/run.sh

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a build
# folder of its own; leaks fail the run too.
sanitize: test-deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCOUTWELL_SANITIZE=ON
	cmake --build build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --test-dir build-asan --output-on-failure

# Every fuzz target for FUZZ_SECONDS each, built with clang's libFuzzer and sanitizers.
fuzz:
	@scripts/deps.sh fuzz
	cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=$(FUZZ_CXX)
	cmake --build build-fuzz
	tests/fuzz/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) build-tsan build-asan build-fuzz build-bench
