# make run        builds tarnwatch and starts it in $(DATA) (default: ./run), where its data files live
# make edit       builds tarnconfig and starts it in the same $(DATA), on the checker's data files
# make test       builds everything and runs every test
# make install    installs both programs, their manual pages and the systemd unit under $(PREFIX)
# make uninstall  removes what the last make install installed (same DESTDIR)
# make deb        builds the Debian package tarnwatch into $(BUILD)/deb
BUILD ?= build
DATA ?= run
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=
DEB_DIR = $(BUILD)/deb

.PHONY: all setup setup-test build run edit test sanitize bench install uninstall deb clean

all: build

# Only what running needs; the tests' and the package's tools come with make test and make deb.
setup:
	@scripts/setup run

setup-test:
	@scripts/setup run test

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

# A build folder first made by make run has no tests yet: configuring it again finds GoogleTest.
test: setup-test $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	$(MAKE) test BUILD=build-san CMAKE_FLAGS="-DTARN_SANITIZE=ON -DTARN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)"

bench: build
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

install: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tarnwatch tarnconfig
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The list of installed files leaves DESTDIR out: give the same DESTDIR as to make install.
uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt | xargs -r -d '\n' rm -fv
	rm -f $(BUILD)/install_manifest.txt

# Built with Debian's own tools in a copy of the tree under $(DEB_DIR), which also receives the
# .deb: nothing is written outside the checkout.
deb:
	@scripts/setup deb
	scripts/build-deb "$(DEB_DIR)"

clean:
	rm -rf $(BUILD) build-san
