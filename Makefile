# `make run` and `make test` do the whole set-up on a fresh Debian 12 machine.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
TSAN_BUILD_DIR ?= build-tsan
FUZZ_BUILD_DIR ?= build-fuzz
# How long `make fuzz` runs each target, and what else libFuzzer is told (`-seed=N` repeats a run).
FUZZ_SECONDS ?= 20
FUZZ_ARGS ?=
# Any report ends the test program with a failure. Qt and the system libraries are not built with
# the sanitizer; tests/tsan.supp says, library by library, why what they do is not checked.
TSAN_OPTIONS_TEST = halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp
ASAN_BUILD_DIR ?= build-asan
COVERAGE_BUILD_DIR ?= build-coverage
# Any finding ends the test program with a failure, leaks at its end included. Allocations are
# unwound fully, not by frame pointers alone (Qt has none), so that tests/lsan.supp can name the Qt
# frame behind each leak of Qt's own instead of a whole library.
ASAN_OPTIONS_TEST = halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0
LSAN_OPTIONS_TEST = suppressions=$(CURDIR)/tests/lsan.supp
UBSAN_OPTIONS_TEST = halt_on_error=1:print_stacktrace=1

.PHONY: all deps configure build run test package test-tsan test-asan fuzz bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/src/findolin

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300

# The Debian package of the build, $(BUILD_DIR)/findolin_<version>_<arch>.deb: install it with
# `apt-get install ./$(BUILD_DIR)/findolin_*.deb`.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The whole test suite built with ThreadSanitizer, in a build folder of its own.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DFINDOLIN_BENCH=OFF \
		-DFINDOLIN_SANITIZER=thread >/dev/null
	@cmake --build $(TSAN_BUILD_DIR)
	cd $(TSAN_BUILD_DIR) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$(TSAN_OPTIONS_TEST)" \
		ctest --output-on-failure --timeout 300

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer, in a build
# folder of its own.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DFINDOLIN_BENCH=OFF \
		-DFINDOLIN_SANITIZER="address;undefined" >/dev/null
	@cmake --build $(ASAN_BUILD_DIR)
	cd $(ASAN_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="$(ASAN_OPTIONS_TEST)" \
		LSAN_OPTIONS="$(LSAN_OPTIONS_TEST)" UBSAN_OPTIONS="$(UBSAN_OPTIONS_TEST)" \
		ctest --output-on-failure --timeout 300

# The whole test suite on a build that counts what it runs, in a build folder of its own; prints the
# line and branch coverage of src/ (branches the compiler adds for exceptions left out) and keeps
# the counts per file in $(COVERAGE_BUILD_DIR)/coverage.txt.
coverage: deps
	@cmake -S . -B $(COVERAGE_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFINDOLIN_BENCH=OFF \
		-DFINDOLIN_COVERAGE=ON >/dev/null
	@cmake --build $(COVERAGE_BUILD_DIR)
	@find $(COVERAGE_BUILD_DIR) -name '*.gcda' -delete
	cd $(COVERAGE_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
	@gcovr --root $(CURDIR) --object-directory $(COVERAGE_BUILD_DIR) --filter '$(CURDIR)/src/' \
		--exclude-throw-branches --exclude-unreachable-branches -j 2 \
		--output $(COVERAGE_BUILD_DIR)/coverage.txt --print-summary

# Every fuzz target for FUZZ_SECONDS, from its seeds in tests/fuzz/seeds; what it finds new is
# kept in the build folder's corpus, a failing input as crash-* there.
fuzz: deps
	@CXX=clang++ CC=clang cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		-DFINDOLIN_TESTS=OFF -DFINDOLIN_BENCH=OFF -DFINDOLIN_FUZZ=ON \
		"-DFINDOLIN_SANITIZER=fuzzer-no-link;address;undefined" >/dev/null
	@cmake --build $(FUZZ_BUILD_DIR) --target fuzzers
	@for target in $$(ls tests/fuzz/seeds); do \
		corpus=$(FUZZ_BUILD_DIR)/corpus/$$target; mkdir -p $$corpus; \
		echo "fuzzing $$target for $(FUZZ_SECONDS) s"; \
		ASAN_OPTIONS=detect_leaks=0 $(FUZZ_BUILD_DIR)/tests/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) $(FUZZ_ARGS) \
			-print_final_stats=0 -artifact_prefix=$(FUZZ_BUILD_DIR)/$$target- \
			$$corpus tests/fuzz/seeds/$$target 2>$(FUZZ_BUILD_DIR)/$$target.log \
			|| { tail -40 $(FUZZ_BUILD_DIR)/$$target.log; exit 1; }; \
	done

bench: configure
	@cmake --build $(BUILD_DIR) --target findolin_bench
	$(BUILD_DIR)/bench/findolin_bench $(BENCH_ARGS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TSAN_BUILD_DIR) $(ASAN_BUILD_DIR) $(COVERAGE_BUILD_DIR) $(FUZZ_BUILD_DIR)
