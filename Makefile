# make run   build, then run the program on the simulated notebook
# make test  both builds, every test, every fuzzer; ends with "N passed, M failed"
.PHONY: run test packages plain

JOBS ?= 2

run: plain
	@tools/run-notebook build/plain/bin

test: packages
	@JOBS=$(JOBS) .ci/test

packages:
	@.ci/ensure-packages

plain: packages
	@cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
	@cmake --build build/plain -j $(JOBS)
