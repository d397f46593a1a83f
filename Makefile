# The commands of the README: `make run`, `make test`, `make bench` and
# `make dist`. Each installs whatever is missing and builds; all but dist
# also create the project's Wine prefix.
#
# The release is the i686 build, in $(BUILD). Where the kernel runs no
# 32-bit code, the programs that run (tests, the program, the benchmark)
# come from the x86-64 build of the same sources, in $(BUILD)/x86_64
# (scripts/arch.sh probes it). ARCH=i686 or ARCH=x86_64 forces the choice.
BUILD ?= build
ARCH ?=
export ARCH
B = $(abspath $(BUILD))

.PHONY: all setup build prefix run test bench dist clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@scripts/build.sh $(B) release

# The prefix is created with the loader of the build that runs here.
prefix:
	@BUILD_DIR=$(B) scripts/wineprefix.sh $(B)/wineprefix

# FILES="a.txt b.bin" puts files in the job list (scripts/run.sh takes any names).
run: setup
	@scripts/build.sh $(B) runnable
	@BUILD_DIR=$(B) scripts/wineprefix.sh $(B)/wineprefix
	@BUILD_DIR=$(B) scripts/run.sh $(FILES)

# Both builds are compiled everywhere; the tests of the one that runs here
# run, and the x86-64 build's pure test runs too where that is the i686 one.
test: setup
	@scripts/build.sh $(B) all
	@BUILD_DIR=$(B) scripts/wineprefix.sh $(B)/wineprefix
	@BUILD_DIR=$(B) scripts/test.sh

# BENCH_ARGS=--quick for a short run on smaller files.
bench: setup
	@scripts/build.sh $(B) runnable
	@BUILD_DIR=$(B) scripts/wineprefix.sh $(B)/wineprefix
	@BUILD_DIR=$(B) scripts/bench.sh $(BENCH_ARGS)

# build/Mirtavolen-<version>.zip: the stripped program and both help files.
dist: build
	@cmake --build $(BUILD) --target dist

# The test fixtures (an immutable file, a mounted tmpfs) are released first:
# rm -rf cannot remove either.
clean:
	@sh tests/fixtures.sh release $(BUILD)/tests/fixtures
	@sh tests/fixtures.sh release $(BUILD)/x86_64/tests/fixtures
	rm -rf $(BUILD)
