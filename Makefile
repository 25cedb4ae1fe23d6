# The two entry points: `make demo` and `make test`. Both install what the
# machine lacks and build what is out of date.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test test-asan clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/bin/nerlaplay --layout sbs $(BUILD)/fixtures/sbs.mp4

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-asan

# The engine's tests once more under AddressSanitizer and UBSan.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNERLA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && NERLA_TEST_HEADLESS=1 \
	  ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -L engine

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
