# Front door for newcomers and CI.  Every target sets up what it needs first.
#   make test   set-up, build (sanitizers on, warnings as errors), all tests
#   make demo   set-up, build, run the bundled example job headless
#   make run    set-up, build, start the desktop program
#   make bench  optimised build and the benchmarks (kernels, then whole jobs)
#   make bench-peers  the thermal case side by side with LAMMPS (installs it)
#   make fuzz   libFuzzer targets, each for a bounded time
#   make tsan   the threaded passes' tests under ThreadSanitizer
#   make install [PREFIX=/usr/local]  optimised build, installed under PREFIX
#   make package  optimised build and the Debian package (build/release/package/)
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
TEST_DIR := build/test
RELEASE_DIR := build/release
FUZZ_DIR := build/fuzz
TSAN_DIR := build/tsan
# The tests that run the threaded passes: the pool, forces, lists and energy
# sums on 2, 3 and 8 threads, and the inelastic example job on 2, 3 and 8.
TSAN_CORE_TESTS := WorkerPool.*:Forces.EqualThePairFunctionsSummedInListOrder:ForceFaults.ThreadedPassesFaultAsTheSerialOnes:PartnerSearch.ThreadsLeaveTheListsOfTheSerialSearch:EnergySums.PotentialAndLatticeEnergiesEqualTheirSumsOverAllPairs
TSAN_CLI_TESTS := *GoldenOutputs*ar_cu100_inel_Threads*
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: setup test build release demo bench bench-peers fuzz tsan run install package clean

setup:
	./scripts/setup.sh

$(TEST_DIR)/build.ninja:
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTREL_WERROR=ON -DVANTREL_SANITIZE=ON

build: setup $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)

test: build
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The example job, headless, in build/demo (outputs, result tables and log
# land there); its options (hot target, cooled border, result tables) come
# from examples/ar_cu100.cfg and its companion ar_cu100.options.  The log
# ends with the sputtering yield; the analysis and its plots follow.
demo: release
	mkdir -p build/demo
	cd build/demo && ../release/cli/vantrel-cli run --answer yes --log demo.log \
	  --config ../../examples/ar_cu100.cfg ../../examples/ar_cu100.prj
	cd build/demo && ../release/cli/vantrel-cli analyze --plots plots results.csv \
	  --sputtered sputtered.csv

# The desktop program, optimised, started in build/run (its configuration
# file and default output files land there).
run: release
	mkdir -p build/run
	cd build/run && ../release/app/vantrel

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON

release: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)

# DESTDIR=... stages the files for a packager.
install: release
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

package: release
	cd $(RELEASE_DIR) && cpack -G DEB
	@ls $(RELEASE_DIR)/package/*.deb

bench: release
	@for b in $(RELEASE_DIR)/bench/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done
	@echo "== $(RELEASE_DIR)/bench/vantrel-job-bench"
	@$(RELEASE_DIR)/bench/vantrel-job-bench --repeat 3

bench-peers:
	./scripts/bench-peers.sh

$(TSAN_DIR)/build.ninja:
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTREL_WERROR=ON -DVANTREL_TSAN=ON -DVANTREL_BUILD_UI=OFF

# Races in the threaded passes: their tests built with -fsanitize=thread.
tsan: setup $(TSAN_DIR)/build.ninja
	cmake --build $(TSAN_DIR) -j $(JOBS) --target core_tests cli_tests vantrel-cli
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_DIR)/tests/core_tests --gtest_filter='$(TSAN_CORE_TESTS)'
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_DIR)/tests/cli/cli_tests --gtest_filter='$(TSAN_CLI_TESTS)'

$(FUZZ_DIR)/build.ninja:
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTREL_BUILD_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_UI=OFF

fuzz: setup $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	./scripts/run-fuzzers.sh $(FUZZ_DIR)/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
