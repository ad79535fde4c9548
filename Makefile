BUILD ?= build

.PHONY: setup build run test coverage fuzz clean

setup:
	@BUILD=$(BUILD) tools/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/ombrel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2

coverage:
	@BUILD=build-coverage tools/setup.sh
	tools/coverage.sh

# Each core fuzz target for FUZZ_SECONDS under libFuzzer with sanitizers.
fuzz:
	@FUZZ=1 tools/setup.sh
	FUZZ_SECONDS=$(or $(FUZZ_SECONDS),60) tools/fuzz.sh

clean:
	rm -rf $(BUILD) build-coverage build-fuzz
