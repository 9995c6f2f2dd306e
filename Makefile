# Thin wrapper over CMake. `make run` builds and starts Velthorn; `make test`
# builds everything and runs the whole test suite.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
BENCH_APP_ARGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build run test test-sanitize bench bench-app artwork fuzz install uninstall package windows clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/Velthorn

# The in-process interface tests open real dialogs, so the whole suite runs
# on a virtual display of its own; the end-to-end tests start theirs anyway.
# The JACK servers of the end-to-end tests get a /dev/shm of their own where
# that is allowed (see the script).
test: build
	cd $(BUILD_DIR) && $(CURDIR)/scripts/with-private-shm.sh \
		xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" ctest --output-on-failure -j $(JOBS)

# The unit, renderer, engine and plugin-thread tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer, then under ThreadSanitizer (the CMake presets
# asan and tsan). Only what those tests need is built; the end-to-end tests
# drive the Release app and stay in `make test`. Any sanitizer report fails
# the test it happens in, but for the leaks of system libraries named in
# tests/lsan-suppressions.txt. The race stress test runs longer here. Then the
# fuzzers run, each for a bounded time.
SANITIZE_TARGETS = velthorn_dsp_tests velthorn_engine_tests velthorn_engine_allocation_tests \
                   velthorn_assets_tests velthorn_ui_widget_tests velthorn_control_panel_tests velthorn_main_panel_tests velthorn_plugin_thread_tests \
                   velthorn_render_tests
# Tests of targets not built here (the end-to-end ones) show up as *_NOT_BUILT;
# the plugin bundle, install and package checks need what is not built here;
# the committed-artwork check runs the generator, which is not our code's risk.
SANITIZE_EXCLUDE = _NOT_BUILT|velthorn_artwork_generator_draws_the_committed_pictures|PluginLv2Info|velthorn_install|velthorn_uninstall|velthorn_debian
SANITIZE_CTEST = xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" ctest --output-on-failure -j $(JOBS) -LE e2e
# ThreadSanitizer holds a signal back until the thread reaches a point of its
# choosing, so two signals sent back to back do not land as they would.
TSAN_EXCLUDE = $(SANITIZE_EXCLUDE)|RenderInterruptedTwice
SANITIZE_STRESS_SECONDS ?= 10

test-sanitize: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS) --target $(SANITIZE_TARGETS)
	cd build-asan && VELTHORN_STRESS_SECONDS=$(SANITIZE_STRESS_SECONDS) \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-suppressions.txt:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		$(SANITIZE_CTEST) -E '$(SANITIZE_EXCLUDE)'
	@cmake --preset tsan >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target $(SANITIZE_TARGETS)
	cd build-tsan && VELTHORN_STRESS_SECONDS=$(SANITIZE_STRESS_SECONDS) \
		TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		$(SANITIZE_CTEST) -E '$(TSAN_EXCLUDE)'
	$(MAKE) fuzz

bench: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DVELTHORN_BUILD_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target velthorn_bench
	$(BUILD_DIR)/bench/velthorn_bench

# The whole app next to a bare JACK pass-through client on a JACK dummy
# server: CPU and wake-ups per thread of both, and their ratio.
bench-app: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DVELTHORN_BUILD_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target velthorn_app_bench
	$(BUILD_DIR)/bench/velthorn_app_bench $(BUILD_DIR)/bench/velthorn_passthrough $(BENCH_APP_ARGS)

# Redraws the seven pictures into src/assets/; the next build embeds them.
artwork: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target velthorn-artwork

# libFuzzer harnesses (tests/fuzz) in a clang build of their own with the
# address sanitizer; each runs FUZZ_SECONDS on its seeds after its regressions.
FUZZ_DIR ?= build-fuzz
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer
fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DVELTHORN_BUILD_FUZZ=ON -DVELTHORN_BUILD_TESTS=OFF "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target velthorn_fuzzers
	@bash tests/fuzz/run-fuzzers.sh $(FUZZ_DIR)

# Installs under $(PREFIX) (inside $(DESTDIR) when given) and records what
# went where, so `make uninstall` removes exactly that.
install: build
	@DESTDIR="$(DESTDIR)" bash packaging/install.sh $(BUILD_DIR) "$(PREFIX)"

uninstall:
	@bash packaging/uninstall.sh $(BUILD_DIR)

# A Debian package of the same files under /usr, in $(BUILD_DIR).
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# The Windows programs, cross-built with MinGW-w64 (cmake/mingw-w64-x86_64.cmake),
# statically linked and stripped, in $(WINDOWS_BUILD_DIR): Velthorn.exe and
# velthorn-render.exe in bin/, Velthorn.vst3, the installer
# Velthorn-<version>-win64-setup.exe and a zip of the same files (see
# cmake/WindowsBuild.cmake). `make test` builds the same in
# $(BUILD_DIR)/windows and tests it under wine.
# WINDOWS_CMAKE_FLAGS=-DVELTHORN_ASIO_SDK=<folder> adds ASIO (see
# cmake/WindowsAudioDevices.cmake).
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_CMAKE_FLAGS ?=
windows: deps
	@cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(WINDOWS_CMAKE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(WINDOWS_BUILD_DIR)
