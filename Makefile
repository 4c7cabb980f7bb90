# make run   build, then run what exists of the system
# make test  both builds, every test, every fuzzer; ends with "N passed, M failed"
.PHONY: run test packages plain

JOBS ?= 2

run: plain
	@root=$${RADIODECK_ROOT:-$${XDG_DATA_HOME:-$$HOME/.local/share}/radiodeck}; \
	echo "Radiodeck itself is not built yet; this shows what exists."; \
	echo "Machine root: $$root"; \
	reg=$$(find build/plain/tools -type f -name reg -perm -u+x 2>/dev/null | head -1); \
	if [ -n "$$reg" ]; then \
		echo "$$reg query HKLM\\Software\\ZEB0100"; \
		"$$reg" query 'HKLM\Software\ZEB0100' || true; \
	else \
		echo "(the reg tool is not built yet)"; \
	fi

test: packages
	@JOBS=$(JOBS) .ci/test

packages:
	@.ci/ensure-packages

plain: packages
	@cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
	@cmake --build build/plain -j $(JOBS)
