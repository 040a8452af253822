# Convenience entry points; everything goes through CMake in build/.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test snapshot bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds and starts the demo in the folder that holds its data files.
run: build
	cd $(BUILD)/data && ../marivelle

# Builds and runs every test: unit, headless GL and end-to-end under Xvfb.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Renders the README's picture headless: 4 s of simulated time in 120 frames.
snapshot: build
	$(BUILD)/snapshot docs/marivelle.png --data $(BUILD)/data --pose side --time 4 --frames 120
	@echo "wrote docs/marivelle.png"

# The frame benchmark (table; BENCH_ARGS=--json for JSON) and the CPU-side
# micro-benchmarks.
BENCH_ARGS ?=
bench: build
	$(BUILD)/bench --data $(BUILD)/data --frames 300 $(BENCH_ARGS)
	cd $(BUILD)/data && ../cpu_bench --benchmark_min_time=0.2

clean:
	rm -rf $(BUILD)
