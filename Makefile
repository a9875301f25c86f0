# The project's two commands: `make test` (build and run every test) and `make demo`.
# Both install missing Debian packages first, so they work on a fresh machine.
.PHONY: all deps build test test-asan fuzz bench windows demo package clean

WERROR ?= $(if $(CI),ON,OFF)

all: build

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset release -DDRAFT2D_WERROR=$(WERROR)
	cmake --build --preset release

test: build
	ctest --preset release

test-asan: deps
	cmake --preset asan -DDRAFT2D_WERROR=$(WERROR)
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	bash scripts/run-fuzz-smoke.sh

windows:
	bash scripts/check-windows.sh

# The sample sheet drawn by the render tool (data/sample.d2d).
demo: build
	mkdir -p out
	build/release/tools/draft2d-render data/sample.d2d -o out/sample.png -o out/sample.pdf -o out/sample.svg
	@echo "demo: out/sample.png out/sample.pdf out/sample.svg"

# Installs into a temporary prefix and builds a program against the package (CMake and pkg-config).
package: build
	bash scripts/check-package.sh build/release

bench: build
	bash scripts/run-benchmarks.sh build/release
	bash scripts/render-timing.sh build/release

clean:
	rm -rf build out
