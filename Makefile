# Thin front door over CMake: `make run`, `make test`, `make bench`, `make soak`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Length of the long monkey run of `make soak`; TARMEL_MONKEY_SEED in the environment replays one.
MONKEY_ACTIONS ?= 2000

.PHONY: deps build run test test-asan soak bench package clean format

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARMEL_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/app/tarmel ]; then $(BUILD)/app/tarmel; else $(BUILD)/cli/tarmel-render --help; fi

# The robustness tests (monkey, lost device) drive the sanitizer build's program.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE robustness
	$(MAKE) test-asan

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L 'unit|robustness'

# Ten minutes of repeat on the optimised build, then a long monkey run on the sanitizer build.
soak: build $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	TARMEL_SOAK_SECONDS=600 $(BUILD)/tests/robustness/robustness --gtest_filter='Repeat.*'
	TARMEL_MONKEY_ACTIONS=$(MONKEY_ACTIONS) \
		$(ASAN_BUILD)/tests/robustness/robustness --gtest_filter='Monkey.*'

bench: build
	$(BUILD)/bench/tarmel-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/tarmel-sound-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/tarmel-repeat-bench 10

package: build
	rm -f $(BUILD)/packages/tarmel_*.deb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/packages/tarmel_*.deb .

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
