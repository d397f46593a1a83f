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

run: prefix
	@scripts/run.sh $(FILES)

test: prefix
	@scripts/test.sh

# BENCH_ARGS=--quick for a short run on smaller files.
bench: prefix
	@scripts/bench.sh $(BENCH_ARGS)

# build/Mirtavolen-<version>.zip: the stripped program and both help files.
dist: build
	@cmake --build $(BUILD) --target dist

clean:
	rm -rf $(BUILD)
