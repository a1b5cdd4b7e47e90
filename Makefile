# Front door. `make test` and `make demo` are the whole set-up on a fresh Debian 12 machine.
#   make deps    install what the build and tests need (idempotent, quick when all is there)
#   make         build: native tools and tests, the win32 deliverables, the Windows test build
#   make test    build, then run the native tests and the Windows tests under Wine
#   make demo    build, then show the product at work and print where its pictures are
#   make fuzz    run the libFuzzer targets under ASan/UBSan (FUZZ_SECONDS each, default 60)
#   make bench   run the benchmarks (bench_osd, then bench_swf)
#   make movies  rewrite the two subtitle movies from tools/movie (the build checks they are current)
#   make clean   remove build/ trees and dist/ (keeps build/cache, the fetched dependencies)
SHELL := /bin/bash
WINARCH = $(shell tools/winrun.sh arch 2>/dev/null || echo win32)

.PHONY: all deps native win32 win64 fuzz test demo bench movies clean

all: deps
	@$(MAKE) --no-print-directory native win32 $(if $(filter win64,$(WINARCH)),win64)

deps:
	@bash tools/deps.sh

native win32 win64:
	@echo "== configure and build: $@"
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@

test: all
	@bash tools/test-all.sh $(WINARCH)

demo: all
	@bash tools/demo.sh

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@bash tools/fuzz.sh

bench: all
	@build/native/tests/bench/bench_osd
	@build/native/tests/bench/bench_swf

movies: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native --target makemovies
	@build/native/tools/makemovies --write osd/resources/ovixosd.swf setup/resources/ovixosd-test.swf

clean:
	rm -rf build/native build/win32 build/win64 build/wine build/demo dist
