#!/bin/sh
# Prints the target the tests run as: i686 where this machine runs 32-bit code
# natively, x86_64 otherwise (kernels built without 32-bit emulation cannot
# start the 32-bit Wine loader; emulating it through qemu is far too slow).
# ORV_TEST_ARCH overrides the choice.
if [ -n "$ORV_TEST_ARCH" ]; then echo "$ORV_TEST_ARCH"; exit 0; fi
if grep -qs qemu-i386 /proc/sys/fs/binfmt_misc/* 2>/dev/null; then echo x86_64; exit 0; fi
if timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
