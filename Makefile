BUILD ?= build

.PHONY: setup build run test deb demo screenshot coverage fuzz bench-e2e clean

setup:
	@BUILD=$(BUILD) tools/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/ombrel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2

# The Debian package, $(BUILD)/ombrel_<version>_<arch>.deb, for
# `sudo apt install ./$(BUILD)/ombrel_*.deb`.
deb: build
	cd $(BUILD) && cpack -G DEB

# A copy of the program in $(BUILD)/demo with data/ of its own, and the
# loopback demo world it connects to with F2 and Enter, stopped with it.
demo: build
	tools/demo.sh $(BUILD)

# docs/screenshot.png: the demo on a desktop of its own (Xvfb), connected
# and played with xdotool; about a minute, most of it waiting for the bell.
screenshot: build
	tools/screenshot.sh $(BUILD)

coverage:
	@BUILD=build-coverage tools/setup.sh
	tools/coverage.sh

# Each core fuzz target for FUZZ_SECONDS under libFuzzer with sanitizers.
fuzz:
	@FUZZ=1 tools/setup.sh
	FUZZ_SECONDS=$(or $(FUZZ_SECONDS),60) tools/fuzz.sh

# tintin++ and the real program on the same 50 MB flood, PAIRS times;
# the script installs tintin++, tmux, Xvfb and openbox when missing.
bench-e2e:
	@BUILD=build-rel tools/setup.sh
	cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-rel -j2 --target ombrel mud_test_server
	bench/e2e_vs_tintin.sh build-rel/ombrel

clean:
	rm -rf $(BUILD) build-coverage build-fuzz
