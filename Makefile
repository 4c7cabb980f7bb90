# make run   build, then run the program on the simulated notebook
# make test  both builds, every test, every fuzzer; ends with "N passed, M failed"
# make install, make uninstall   Radiodeck on this notebook (PREFIX, DESTDIR, AUTOSTART)
.PHONY: run test packages plain install uninstall

JOBS ?= 2
PREFIX ?= /usr/local
AUTOSTART ?= /etc/xdg/autostart

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

install: plain
	@DESTDIR="$(DESTDIR)" RADIODECK_AUTOSTART="$(AUTOSTART)" \
		cmake --install build/plain --prefix "$(PREFIX)"

# What install put there, named one by one: the folder of the programs is theirs alone.
uninstall:
	rm -rf "$(DESTDIR)$(PREFIX)/lib/radiodeck"
	rm -f "$(DESTDIR)$(PREFIX)/bin/radiodeck" \
		"$(DESTDIR)$(PREFIX)/share/applications/radiodeck.desktop" \
		"$(DESTDIR)$(AUTOSTART)/radiodeck.desktop" \
		"$(DESTDIR)$(PREFIX)"/share/icons/hicolor/*/apps/radiodeck.png
