# A thin front over CMake: `make demo` renders the bundled example, `make test` runs the tests.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build demo test bench package clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	mkdir -p out
	$(BUILD)/diaset -g examples/sample.viqr > out/sample.tr
	groff -ms -Tpdf out/sample.tr > out/sample.pdf
	@echo "diaset: rendered examples/sample.viqr to out/sample.pdf"

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

package: build
	cd $(BUILD) && cpack

bench: build
	python3 bench/run.py --build $(BUILD)

clean:
	rm -rf $(BUILD) out
