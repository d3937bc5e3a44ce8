# Shortcuts over the CMake presets: `make run` builds ostrel alone and starts it, `make test`
# builds and runs the whole test suite, `make web` builds the web page into build-web/site/.
.PHONY: run test sanitize bench build clean lint fuzz web web-serve web-test

WEB_PORT ?= 8000

FUZZ_SECONDS ?= 60

build:
	cmake --preset default
	cmake --build --preset default

# Only the program: the tests and the benchmarks are not needed to ask its questions.
run:
	cmake --preset default
	cmake --build --preset default --target ostrel
	./build/ostrel

test:
	cmake --workflow --preset default

sanitize:
	cmake --workflow --preset sanitize

bench: build
	./build/bench/ostrel_bench
	./build/bench/ostrel_goal_bench

# Static checks: clang-tidy (with .clang-tidy) and cppcheck; both must find nothing. clang-tidy
# reads the compile commands of the lint presets, which are only configured: one command per source
# file (the builds themselves compile batches of files). The static analyzer runs in its shallow
# mode: the deep mode spent 20 of the 26 seconds of the beam search's file walking the search
# loops' paths until its node budget ran out (it finds nothing in this code either).
TIDY_ANALYZER := -extra-arg=-Xclang -extra-arg=-analyzer-config -extra-arg=-Xclang -extra-arg=mode=shallow
lint:
	cmake --preset lint
	cmake --preset lint-fuzz
	run-clang-tidy -quiet $(TIDY_ANALYZER) -p build-lint '$(CURDIR)/(src|bench|web)/'
	run-clang-tidy -quiet $(TIDY_ANALYZER) -p build-lint-fuzz '$(CURDIR)/fuzz/'
	cppcheck -j2 --enable=warning,style,performance,portability --std=c++20 --inline-suppr \
	  --error-exitcode=1 --quiet -I src -I . src bench fuzz web

# Builds the fuzz targets of the dialogue, the command line and the page's requests (clang,
# libFuzzer, ASan, UBSan) and fuzzes them side by side for half of FUZZ_SECONDS each, from their
# seed corpora, passing FUZZ_FLAGS on to libFuzzer.
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz
	fuzz/run.sh $(FUZZ_SECONDS) $(FUZZ_FLAGS)

# The web page: the core compiled to WebAssembly (emscripten) and the static page, assembled in
# build-web/site/, a folder with the site's files alone: what web-serve serves and what is hosted.
# The planner is built twice: on one thread, and with threads (build-web-threads/, copied into the
# page) for a page served cross-origin isolated. The chart library comes from npm, as locked in
# web/package-lock.json.
web: web/node_modules/.package-lock.json
	cmake --preset web-threads
	cmake --build --preset web-threads
	cmake --preset web
	cmake --build --preset web

web/node_modules/.package-lock.json: web/package.json web/package-lock.json
	npm ci --prefix web --no-audit --no-fund

# Serves the page on this machine only, cross-origin isolated so that it plans on two threads:
# open http://127.0.0.1:$(WEB_PORT)/
web-serve: web
	python3 web/serve.py --port $(WEB_PORT) build-web/site

# The WebAssembly entry and the page's links under node, then the page driven in headless
# Chromium and its plans compared with the console program's.
web-test: web build
	OSTREL_SITE=build-web/site node --test web/test/wasm_node_test.mjs web/test/url_state_test.mjs
	/usr/bin/python3 web/test/browser_test.py --site build-web/site --ostrel build/ostrel

clean:
	rm -rf build build-sanitize build-fuzz build-lint build-lint-fuzz build-web build-web-threads
