# Entry points for a newcomer; everything goes through CMake. Every target
# first installs what is missing (apt-get, with sudo when not root).
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build run install package test check test-sanitize fuzz fresh-check snapshot bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds and starts the demo in the folder that holds its data files.
run: build
	cd $(BUILD)/data && ../marivelle

# Installs the program, its data, the launcher, menu entry, icons and manual
# page under PREFIX (sudo may be needed for a system prefix).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Builds the Debian package build/marivelle_VERSION_ARCH.deb (installs to /usr).
package: build
	cd $(BUILD) && cpack -G DEB

# Every test: the normal suite (unit, headless GL, soak, end-to-end under
# Xvfb), the same unit and GL tests built with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer, and a short run of each fuzzer.
test: check test-sanitize fuzz

# The normal suite alone. Every ctest run goes through tests/run_ctest.sh: a
# selection that matches no test fails, and under CI so does a skipped test.
CTEST = bash tests/run_ctest.sh
check: build
	$(CTEST) --test-dir $(BUILD) --output-on-failure -j $(JOBS)

SANITIZED_TARGETS = marivelle_data unit_tests gl_tests gl_context_tests image_tests make_data_tests corpus_tests \
  save_picture_probe swap_on_create
test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMARIVELLE_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(SANITIZED_TARGETS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(CTEST) --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -E 'e2e|bench_json|shader_sources|settings_dialog|Soak|SnapshotTool|SchoolOnAnOlderDriver|install_tree|readme_animation|NOT_BUILT'

# libFuzzer targets for the file readers, built with clang; each runs for
# FUZZ_SECONDS seconds (make fuzz FUZZ_SECONDS=600 for a longer run).
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMARIVELLE_FUZZ=ON -DMARIVELLE_SANITIZE=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz
	$(CTEST) --test-dir $(FUZZ_BUILD) --output-on-failure -R fuzz_corpus
	bash tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# make test inside a bare Debian 12 root built with mmdebstrap, from a clone of
# the committed HEAD (what CI runs). Needs root.
fresh-check:
	bash scripts/fresh-check.sh

# Renders the committed pictures headless: the README's still after 4 s of
# simulated time in 120 frames, its four-second animated GIF
# (tools/make_animation.sh), and the icons at 256x256 and 48x48 after 3 s in
# 90 frames, which the install takes from packaging/icons.
snapshot: build
	$(BUILD)/snapshot docs/marivelle.png --data $(BUILD)/data --pose side --time 4 --frames 120
	bash tools/make_animation.sh $(BUILD)/snapshot $(BUILD)/data docs/marivelle.gif
	mkdir -p packaging/icons/256x256 packaging/icons/48x48
	$(BUILD)/snapshot packaging/icons/256x256/marivelle.png --data $(BUILD)/data --size 256x256 --pose side --time 3 --frames 90
	$(BUILD)/snapshot packaging/icons/48x48/marivelle.png --data $(BUILD)/data --size 48x48 --pose side --time 3 --frames 90
	@echo "wrote docs/marivelle.png, docs/marivelle.gif and packaging/icons/*/marivelle.png"

# The frame benchmark (table; BENCH_ARGS=--json for JSON), the sweep of the
# fish counts from 1 to 30000, and the CPU-side micro-benchmarks.
BENCH_ARGS ?=
bench: build
	$(BUILD)/bench --data $(BUILD)/data --frames 300 $(BENCH_ARGS)
	$(BUILD)/bench --data $(BUILD)/data --frames 300 --fish-sweep $(BENCH_ARGS)
	cd $(BUILD)/data && ../cpu_bench --benchmark_min_time=0.2

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
