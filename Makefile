# Shortcuts over the CMake presets: `make run` builds and starts ostrel, `make test` builds and
# runs the whole test suite.
.PHONY: run test sanitize bench build clean

build:
	cmake --preset default
	cmake --build --preset default

run: build
	./build/ostrel

test:
	cmake --workflow --preset default

sanitize:
	cmake --workflow --preset sanitize

bench: build
	./build/bench/ostrel_bench

clean:
	rm -rf build build-sanitize
