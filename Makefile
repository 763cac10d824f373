# Quellvane: the two everyday commands.
#   make test   installs what is missing, builds with AddressSanitizer and
#               UndefinedBehaviorSanitizer, and runs every test
#   make run    builds the program optimised, without sanitizers, in a
#               folder of its own and starts it on the demo network
#   make bench  builds optimised and runs the benchmarks

BUILD      ?= build
BENCHBUILD ?= build-release
RUNBUILD   ?= build-run
JOBS       ?= $(shell nproc)

.PHONY: test deps configure build run bench clean

deps:
	tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQV_SANITIZE=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen TZ=UTC ctest --output-on-failure -j $(JOBS)

# The sanitizer build of the tests is for finding faults, not for using:
# the program a user runs is optimised and ends quietly with 0 on a quit.
run: deps
	cmake -S . -B $(RUNBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQV_SANITIZE=OFF
	cmake --build $(RUNBUILD) -j $(JOBS) --target quellvane
	$(RUNBUILD)/app/quellvane

bench: deps
	cmake -S . -B $(BENCHBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQV_SANITIZE=OFF
	cmake --build $(BENCHBUILD) -j $(JOBS)
	for b in $(BENCHBUILD)/tests/bench/qv_bench*; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf $(BUILD) $(BENCHBUILD) $(RUNBUILD)
