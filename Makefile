# The two set-up commands: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure clean bench fuzz fuzz-run fuzz-replay

run: build
	./$(BUILD_DIR)/src/gui/pictorand

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo; \
	fi

deps:
	@bash scripts/install-deps.sh

# Benchmarks build in their own optimised tree and never run as part of the tests.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPICTORAND_BUILD_BENCH=ON -DPICTORAND_BUILD_TESTS=OFF -DPICTORAND_BUILD_GUI=OFF
	cmake --build build-bench -j $(JOBS) --target resample_benchmark pictorand-cli
	./build-bench/bench/resample_benchmark

# libFuzzer targets (clang) in build-fuzz; `make fuzz-run SECONDS=N` runs each for N seconds,
# `make fuzz-run SECONDS=N TARGETS="bmp wmf"` only the named ones.
SECONDS ?= 60
TARGETS ?=
fuzz:
	@PICTORAND_EXTRA_PACKAGES="clang libclang-rt-14-dev" bash scripts/install-deps.sh
	cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPICTORAND_LIBFUZZER=ON -DPICTORAND_BUILD_FUZZ=ON -DPICTORAND_BUILD_TESTS=OFF -DPICTORAND_BUILD_GUI=OFF
	cmake --build build-fuzz -j $(JOBS)

fuzz-run: fuzz
	bash fuzz/run.sh $(SECONDS) $(TARGETS)

# Every corpus and regression file through every target, under ASan and UBSan.
fuzz-replay: deps
	cmake -S . -B build-replay -DCMAKE_BUILD_TYPE=Debug -DPICTORAND_SANITIZE=ON -DPICTORAND_BUILD_FUZZ=ON \
		-DPICTORAND_BUILD_TESTS=OFF -DPICTORAND_BUILD_GUI=OFF
	cmake --build build-replay -j $(JOBS)
	bash fuzz/replay.sh build-replay

clean:
	rm -rf $(BUILD_DIR) build-bench build-fuzz build-replay
