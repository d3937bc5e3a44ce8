# Shortcuts over the CMake presets: `make run` builds and starts ostrel, `make test` builds and
# runs the whole test suite.
.PHONY: run test sanitize bench build clean lint fuzz

FUZZ_SECONDS ?= 60

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
	./build/bench/ostrel_goal_bench

# Static checks: clang-tidy (with .clang-tidy) and cppcheck; both must find nothing. The fuzz
# preset is only configured, for the fuzz target's compile commands.
lint:
	cmake --preset default
	cmake --preset fuzz
	run-clang-tidy -quiet -p build '$(CURDIR)/(src|bench)/'
	run-clang-tidy -quiet -p build-fuzz '$(CURDIR)/fuzz/'
	cppcheck --enable=warning,style,performance,portability --std=c++20 --inline-suppr \
	  --error-exitcode=1 --quiet -I src src bench fuzz

# Builds the dialogue's fuzz target (clang, libFuzzer, ASan, UBSan) and fuzzes it for
# FUZZ_SECONDS seconds from the seed corpus, passing FUZZ_FLAGS on to libFuzzer.
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz
	fuzz/run.sh $(FUZZ_SECONDS) $(FUZZ_FLAGS)

clean:
	rm -rf build build-sanitize build-fuzz
