# Thin layer over CMake presets; the logic lives in CMakeLists.txt and scripts/.
.PHONY: all run test build dist deps icons walkthrough fuzz clean

all: build

deps:
	@scripts/deps.sh

build: deps
	@cmake --preset win >/dev/null
	@cmake --build --preset win -j$$(nproc) --target tarvina make_demo probe

run: build
	@scripts/run.sh

test:
	@scripts/test.sh

# Release packages: dist/tarvina-<version>-setup.exe and dist/tarvina-<version>-portable.zip.
dist: deps
	@cmake --preset dist >/dev/null
	@cmake --build --preset dist -j$$(nproc)
	@ls -1 dist/tarvina-*

# Regenerates the committed pictures and tables under resources/ (needs Python PIL, the emoji
# font and Unicode CLDR).
icons:
	@TARVINA_ASSETS=1 scripts/deps.sh
	@/usr/bin/python3 tools/assets/make_assets.py

# Walks through the program as a new user and saves a picture of each step
# under docs/walkthrough/ (shown in the README).
walkthrough: build
	@tools/walkthrough/walkthrough.sh

# Runs each fuzz target for FUZZ_SECONDS (default 60) with clang's libFuzzer;
# make test replays the kept corpus and every crash found.
fuzz:
	@scripts/fuzz.sh

clean:
	rm -rf build dist
