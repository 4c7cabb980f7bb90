# Resource scripts are compiled by a real resource compiler into the 32-bit .res format.
find_program(RADIODECK_WINDRES NAMES llvm-windres llvm-windres-14 llvm-windres-15 llvm-windres-16
             x86_64-w64-mingw32-windres REQUIRED)
