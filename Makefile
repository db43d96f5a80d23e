# The two set-up commands: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure clean bench

run: build
	./$(BUILD_DIR)/src/app/pictorand

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

clean:
	rm -rf $(BUILD_DIR) build-bench
