# Convenience entry points; everything goes through CMake in build/.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test clean

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

clean:
	rm -rf $(BUILD)
