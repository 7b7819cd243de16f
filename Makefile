# Ombrix: `make run` builds and starts the program, `make test` builds and runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh): `make run` only
# what building and running the programs need, `make test` also the test tools.

BUILD_DIR    := build
SANITIZE_DIR := build-sanitize
TSAN_DIR     := build-tsan
FUZZ_DIR     := build-fuzz
# How long `make fuzz` runs each fuzzer, in seconds.
FUZZ_SECONDS ?= 120
JOBS         := $(shell nproc 2>/dev/null || echo 2)
# WERROR=ON turns compiler warnings into errors, as .ci/run does.
WERROR       ?= OFF

.PHONY: all deps deps-run build build-programs run test test-plasma bench bench-live bench-live-plasma package test-sanitize test-tsan fuzz format clean

all: build

deps:
	@scripts/install-deps.sh --test

deps-run:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_TESTS=ON -DOMBRIX_BENCH=ON \
	    -DOMBRIX_WERROR=$(WERROR)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The programs alone (ombrix, ombrix-render, ...): no tests, no benchmarks.
build-programs: deps-run
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_TESTS=OFF -DOMBRIX_BENCH=OFF \
	    -DOMBRIX_WERROR=$(WERROR)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target programs

run: build-programs
	./$(BUILD_DIR)/ombrix

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The Plasma wallpaper's test alone (a headless Plasma session, about 15 s; also in `make test`).
test-plasma: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -L plasma

bench: build
	./$(BUILD_DIR)/bench/ombrix_bench
	./$(BUILD_DIR)/bench/ombrix_wall_bench
	./$(BUILD_DIR)/bench/ombrix_render_bench
	./$(BUILD_DIR)/bench/ombrix_settings_bench

# ombrix-live's CPU on a 3840 x 2160 Xvfb and a headless sway (about three minutes).
bench-live: build
	bash bench/live_cpu.sh $(BUILD_DIR)

# The Ombrix Live wallpaper's CPU in a headless Plasma session at 3840 x 2160 (about 40 s).
bench-live-plasma: build
	bash bench/live_cpu_plasma.sh $(BUILD_DIR)

# The Debian package, build/ombrix_VERSION_ARCH.deb (install it with apt install ./FILE).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DOMBRIX_SANITIZE=ON -DOMBRIX_BENCH=OFF \
	    -DOMBRIX_WERROR=$(WERROR)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# The engine's step threads and the live program under ThreadSanitizer: the engine's
# tests, the live core's, and ombrix-live on its buses and on sway; only what they need is
# built. (live.x11 is left out: slowed down, its last run cannot open the display.)
# Its options and what it leaves out are built into the programs (tests/common/TsanDefaults.cpp).
TSAN_TARGETS := engine_tests live_core_tests live_wayland_tests ombrix-live ombrix-render
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_TSAN=ON -DOMBRIX_BENCH=OFF \
	    -DOMBRIX_WERROR=$(WERROR)
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TARGETS)
	$(TSAN_DIR)/tests/engine/engine_tests
	ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -R '^live[._]' -E '^live\.x11$$'

# The libFuzzer targets of fuzz/, built with clang in a folder of their own.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_FUZZ=ON \
	    -DOMBRIX_WERROR=$(WERROR)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_int_from_text fuzz_profile_store \
	    fuzz_settings_load
	fuzz/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

format:
	find fileio engine color picture desktop settings platform dialogs shell render tests bench fuzz \
	    \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR)
