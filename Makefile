# The two commands a newcomer needs: `make demo` and `make test`.
# Both install missing Debian packages first (as root), then build and run.
JOBS ?= 2
SHELL := /bin/bash

.PHONY: deps demo test build build-linux64 build-asan build-win32 wine-e2e fuzz bench bench64 dist clean

deps:
	./scripts/install-deps.sh

build: deps
	cmake --preset linux32 >/dev/null
	cmake --build --preset linux32 -j $(JOBS)

build-linux64: deps
	cmake --preset linux64 >/dev/null
	cmake --build --preset linux64 -j $(JOBS)

build-asan: deps
	cmake --preset linux32-asan >/dev/null
	cmake --build --preset linux32-asan -j $(JOBS)

build-win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

# The 32-bit build where this kernel runs 32-bit programs itself, else the 64-bit one.
demo: deps
	@preset=$$(. scripts/machine32.sh; [ "$$(mode_32bit)" = native ] && echo linux32 || echo linux64); \
	cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) && \
	./scripts/demo.sh build/$$preset

# Every build and suite, one line each; their output goes to build/logs/.
test:
	./scripts/test-all.sh

# The shipped DLL and the Windows host under Wine, compared with the Linux build.
# Skipped, saying so, where Wine cannot be installed (not root, no i386 packages).
wine-e2e: build build-win32
	@if ./scripts/install-deps.sh wine; then \
	  ./scripts/wine-e2e.sh build/win32 build/linux32; \
	else \
	  echo "wine-e2e: SKIPPED: Wine (wine32:i386, xvfb) could not be installed"; \
	fi

fuzz: deps
	./scripts/fuzz.sh

bench: build
	./scripts/bench.sh build/linux32

# The same figures for the native 64-bit build.
bench64: build-linux64
	./scripts/bench.sh build/linux64

# The release archives in dist/: the plug-in's zip and the command-line tool's tarball.
dist: deps
	./scripts/dist.sh

clean:
	rm -rf build dist
