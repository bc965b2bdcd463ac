# Thin front door over CMake: `make run`, `make test`, `make bench`, `make soak`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Length of the long monkey run of `make soak`; TARMEL_MONKEY_SEED in the environment replays one.
MONKEY_ACTIONS ?= 2000
# Targets of the match benchmark at 2,500 and at 25,000 renders, and how many are also timed on
# one thread; fewer than 100 where the full run takes too long (see docs/MATCH.md).
MATCH_TARGETS ?= 100 100 10

.PHONY: deps test-deps configure build run test test-asan soak bench package clean format

# What building and running need; test-deps adds the test and benchmark tools.
deps:
	@./scripts/install-deps.sh

test-deps:
	@./scripts/install-deps.sh --test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARMEL_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Configured again, so that a build made before the test tools were installed now has the tests
# and benchmarks.
configure: test-deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

run: build
	@if [ -x $(BUILD)/app/tarmel ]; then $(BUILD)/app/tarmel; else $(BUILD)/cli/tarmel-render --help; fi

# The robustness tests (monkey, lost device) drive the sanitizer build's program.
test: configure build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE robustness
	$(MAKE) test-asan

test-asan: test-deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L 'unit|robustness'

# Ten minutes of repeat on the optimised build, then a long monkey run on the sanitizer build.
soak: configure build $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	TARMEL_SOAK_SECONDS=600 $(BUILD)/tests/robustness/robustness --gtest_filter='Repeat.*'
	TARMEL_MONKEY_ACTIONS=$(MONKEY_ACTIONS) \
		$(ASAN_BUILD)/tests/robustness/robustness --gtest_filter='Monkey.*'

bench: configure build
	$(BUILD)/bench/tarmel-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/tarmel-sound-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/tarmel-repeat-bench 10
	bench/batch-bench.sh $(BUILD)/cli/tarmel-render presets
	$(BUILD)/bench/tarmel-match-bench $(MATCH_TARGETS)
	$(BUILD)/bench/tarmel-plugin-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

# The package and its debugging symbols (tarmel-dbgsym_*.ddeb).
package: build
	rm -f $(BUILD)/packages/tarmel_*.deb $(BUILD)/packages/tarmel-dbgsym_*.ddeb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/packages/tarmel_*.deb $(BUILD)/packages/tarmel-dbgsym_*.ddeb .

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
