# SPDX-License-Identifier: GPL-3.0-or-later
# Velocrag: the two commands a player or developer needs are `make play` and
# `make test`. Everything else here is a step of those or a developer tool.
# `make package` builds the Debian package (build/package/velocrag_*.deb).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
DATA_DIR   ?= $(or $(XDG_DATA_HOME),$(HOME)/.local/share)/velocrag

# Compiler cache (when installed): paths relative to the tree, so that build
# folders and clones share hits.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

CTEST_FLAGS = --output-on-failure -j $(JOBS)

.PHONY: play test deps build build-asan data package test-release test-asan bench clean

play: deps build data
	@scripts/play.sh "$(BUILD)/velocrag"

test: deps build package build-asan test-release test-asan

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELOCRAG_SANITIZE=ON

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

data: build
	@scripts/prepare-data.sh "$(DATA_DIR)"

# The .deb of the release build, made by CPack; its test (CTest
# package_runs) unpacks and starts it.
package: build
	cmake --build $(BUILD) --target package

test-release: build package
	cd $(BUILD) && ctest $(CTEST_FLAGS)

# The sanitizer settings (ASAN_OPTIONS, LSAN_OPTIONS with tests/lsan.supp,
# UBSAN_OPTIONS) are part of each test's environment: tests/CMakeLists.txt.
test-asan: build-asan
	cd $(ASAN_BUILD) && ctest $(CTEST_FLAGS)

bench: deps build
	$(BUILD)/tools/physicsbench/physicsbench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# --- Art ---------------------------------------------------------------------
# `make contact-sheet` renders every picture and writes one labelled overview
# (build/contact-sheet.png); ART_ZOOM magnifies the sprites (e.g. ART_ZOOM=2).
ART_ZOOM ?= 1

.PHONY: contact-sheet
contact-sheet: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/artgen/artgen sheet assets/pictures.json \
	    $(BUILD)/resources/images $(BUILD)/contact-sheet.png $(ART_ZOOM)

# --- Vehicle: ride benchmark and ride-tool snapshots ---------------------
.PHONY: ride-bench ride-shots

ride-bench: deps build
	$(BUILD)/tools/ridebench/ridebench $(BUILD)/testlevels.db

# Snapshots of the bike at rest, in a wheelie, landing a drop and after a
# crash, written to $(BUILD)/ride-shots/.
ride-shots: deps build
	@tools/ride/shots.sh "$(BUILD)"

# --- Levels: developer targets ---
.PHONY: level-bench levels-db

# Median time of 100 loads of the largest test level, then of 600 restarts
# of the level of long diagonal edges (and riding before and after them).
level-bench: deps build
	$(BUILD)/tools/levelbench/levelbench $(BUILD)/testlevels.db
	$(BUILD)/tools/levelbench/levelbench --restarts $(BUILD)/testlevels.db

# Recompile the level sources only (also part of every build).
levels-db: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target level_databases

# --- Sound developer targets ------------------------------------------------
# `make fuzz` fuzzes the wave loaders (clang, libFuzzer, ASan + UBSan) for
# FUZZ_SECONDS, `make replay-fuzz` the replay reader; `make test` includes a
# bounded run of FUZZ_SMOKE_SECONDS of each. Replay seeds are in
# tests/fuzz/replay-corpus.
# Seeds are read from tests/fuzz/corpus; new inputs go to build-fuzz/corpus,
# crashing inputs to build-fuzz/crash-*.
# `make sound-bench` measures the mixer's CPU share for eight looping sounds.
FUZZ_BUILD         ?= build-fuzz
FUZZ_SECONDS       ?= 600
FUZZ_SMOKE_SECONDS ?= 60
FUZZ_FLAGS          = -rss_limit_mb=2048 -max_len=65536 -artifact_prefix=$(FUZZ_BUILD)/ -print_final_stats=1

.PHONY: fuzz fuzz-build fuzz-smoke replay-fuzz sound-bench

test: fuzz-smoke

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S tests/fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo

fuzz-build: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/wavefuzz -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) $(FUZZ_BUILD)/corpus tests/fuzz/corpus

fuzz-smoke: fuzz-build
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/replay-corpus
	$(FUZZ_BUILD)/wavefuzz -max_total_time=$(FUZZ_SMOKE_SECONDS) $(FUZZ_FLAGS) $(FUZZ_BUILD)/corpus tests/fuzz/corpus
	$(FUZZ_BUILD)/replayfuzz -max_total_time=$(FUZZ_SMOKE_SECONDS) $(FUZZ_FLAGS) $(FUZZ_BUILD)/replay-corpus tests/fuzz/replay-corpus

replay-fuzz: fuzz-build
	mkdir -p $(FUZZ_BUILD)/replay-corpus
	$(FUZZ_BUILD)/replayfuzz -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) $(FUZZ_BUILD)/replay-corpus tests/fuzz/replay-corpus

sound-bench: deps build
	$(BUILD)/tools/mixbench/mixbench

# --- Sound: ThreadSanitizer ---------------------------------------------------
# The audio engine, the sound manager and their tests built with
# -fsanitize=thread in a folder of their own (only those targets; see
# tests/tsan/CMakeLists.txt) and run; any report fails `make test`.
TSAN_BUILD ?= build-tsan

.PHONY: build-tsan test-tsan clean-tsan

test: test-tsan
clean: clean-tsan

$(TSAN_BUILD)/CMakeCache.txt:
	cmake -S tests/tsan -B $(TSAN_BUILD)

build-tsan: deps $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS)

test-tsan: build-tsan
	cd $(TSAN_BUILD) && ctest $(CTEST_FLAGS)

clean-tsan:
	rm -rf $(TSAN_BUILD)

# --- Menus: renders of every menu state, to look at (not committed) ----------
MENU_SHOTS ?= $(BUILD)/menu-shots

.PHONY: menu-shots
menu-shots: build
	$(BUILD)/tools/menushots/menushots $(MENU_SHOTS)/1920x1080 1920x1080
	$(BUILD)/tools/menushots/menushots $(MENU_SHOTS)/1024x768 1024x768
	$(BUILD)/tools/menushots/menushots $(MENU_SHOTS)/640x480 640x480

# --- Game: benchmarks of the assembled game ----------------------------------
# `make game-bench`: frame time (tick + paint at 1267 x 712 on the busiest test
# level, raster and OpenGL; under Xvfb OpenGL is Mesa's software renderer),
# start-up time, and CPU share and peak RSS of the real game riding under Xvfb.
.PHONY: game-bench

game-bench: deps build data
	tests/e2e/withxvfb.sh $(BUILD)/tools/gamebench/gamebench frame $(BUILD)/testlevels.db 95 2 raster
	LIBGL_ALWAYS_SOFTWARE=1 tests/e2e/withxvfb.sh $(BUILD)/tools/gamebench/gamebench frame $(BUILD)/testlevels.db 95 2 opengl
	dir=$$(mktemp -d) && cp $(BUILD)/levels.db $$dir/ && cd $$dir && \
	    $(CURDIR)/tests/e2e/withxvfb.sh $(abspath $(BUILD))/tools/gamebench/gamebench startup; \
	    rc=$$?; rm -rf $$dir; exit $$rc
	tools/gamebench/ridecpu.sh $(BUILD)/velocrag 10

# --- Content: solution rides, target times, review sheets --------------------
# `make solutions` searches a solution ride for every shipped level with the
# autopilot (levels/solutions/pack<P>/<NN>.txt; a hand-written start
# <NN>.prefix.txt is kept and continued), then rewrites every level's target
# times from its solution and recompiles the levels.
# `make review-sheets` renders each pack's 24 levels as one sheet of
# thumbnails: $(BUILD)/review-pack1.png and $(BUILD)/review-pack2.png.
.PHONY: solutions review-sheets

solutions: build
	tools/autopilot/solve-all.sh "$(BUILD)" $(JOBS)
	cmake --build $(BUILD) --target level_databases

review-sheets: build
	$(BUILD)/tools/reviewsheet/reviewsheet --levels $(BUILD)/levels.db --sources levels/sources \
	    --pack 1 --output $(BUILD)/review-pack1.png
	$(BUILD)/tools/reviewsheet/reviewsheet --levels $(BUILD)/levels.db --sources levels/sources \
	    --pack 2 --output $(BUILD)/review-pack2.png
