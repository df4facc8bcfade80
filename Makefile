# make run   builds tarnwatch and starts it in $(DATA) (default: ./run), where its data files live
# make edit  builds tarnconfig and starts it in the same $(DATA), on the checker's data files
# make test  builds everything and runs every test
BUILD ?= build
DATA ?= run
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup build run edit test sanitize bench clean

all: build

setup:
	@scripts/setup

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tarnwatch
	mkdir -p $(DATA)
	@echo "tarnwatch runs in the data folder $(abspath $(DATA))"
	@echo "  its log: $(abspath $(DATA))/logfiles/Tarnwatch$$(date +%Y%m%d).log"
	@echo "  stop it with Ctrl+C"
	cd $(DATA) && exec $(abspath $(BUILD))/tarnwatch

edit: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tarnconfig
	mkdir -p $(DATA)
	cd $(DATA) && exec $(abspath $(BUILD))/tarnconfig

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	$(MAKE) test BUILD=build-san CMAKE_FLAGS="-DTARN_SANITIZE=ON -DTARN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)"

bench: build
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) build-san
