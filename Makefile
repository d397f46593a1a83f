# The commands of the README: `make run`, `make test`, `make bench` and
# `make dist`. Each installs whatever is missing and builds; all but dist
# also create the project's Wine prefix.
BUILD ?= build
TOOLCHAIN = cmake/toolchain-i686-mingw32.cmake

.PHONY: all setup build prefix run test bench dist clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) >/dev/null
	@cmake --build $(BUILD) -j2

prefix: build
	@scripts/wineprefix.sh $(abspath $(BUILD))/wineprefix

# FILES="a.txt b.bin" puts files in the job list (scripts/run.sh takes any names).
run: prefix
	@BUILD_DIR=$(abspath $(BUILD)) scripts/run.sh $(FILES)

test: prefix
	@BUILD_DIR=$(abspath $(BUILD)) scripts/test.sh

# BENCH_ARGS=--quick for a short run on smaller files.
bench: prefix
	@BUILD_DIR=$(abspath $(BUILD)) scripts/bench.sh $(BENCH_ARGS)

# build/Mirtavolen-<version>.zip: the stripped program and both help files.
dist: build
	@cmake --build $(BUILD) --target dist

# The test fixtures (an immutable file, a mounted tmpfs) are released first:
# rm -rf cannot remove either.
clean:
	@sh tests/fixtures.sh release $(BUILD)/tests/fixtures
	rm -rf $(BUILD)
