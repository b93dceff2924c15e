# The two commands that do everything on a fresh machine: make run, make test.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_BENCH?= build-bench
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
FUZZ_SECONDS ?= 60

.PHONY: all setup build run test test-asan bench fuzz clean package

all: build

setup:
	@scripts/setup

$(BUILD)/build.ninja: | setup
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: setup $(BUILD)/build.ninja
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-dravio $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package of what is built, in $(BUILD) (dravio_<version>_<arch>.deb).
package: build
	@cd $(BUILD) && cpack -G DEB

$(BUILD_ASAN)/build.ninja: | setup
	@cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DDRAVIO_SANITIZE=ON >/dev/null

test-asan: setup $(BUILD_ASAN)/build.ninja
	@cmake --build $(BUILD_ASAN) -j $(JOBS)
	@cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

$(BUILD_BENCH)/build.ninja: | setup
	@cmake -S . -B $(BUILD_BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DDRAVIO_TESTS=OFF -DDRAVIO_BENCH=ON >/dev/null

bench: setup $(BUILD_BENCH)/build.ninja
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/bench_*; do echo "== $$b"; $$b; done

$(BUILD_FUZZ)/build.ninja: | setup
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DDRAVIO_TESTS=OFF -DDRAVIO_FUZZ=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >/dev/null

# Builds every fuzz target and runs each for FUZZ_SECONDS on its seed corpus.
fuzz: setup $(BUILD_FUZZ)/build.ninja
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@for f in $(BUILD_FUZZ)/fuzz/fuzz_*; do \
		name=$$(basename $$f); mkdir -p $(BUILD_FUZZ)/corpus/$$name; \
		echo "== $$name ($(FUZZ_SECONDS) s)"; \
		$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(BUILD_FUZZ)/corpus/$$name fuzz/seeds/$$name 2>&1 | tail -n 12 || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_BENCH) $(BUILD_FUZZ)
