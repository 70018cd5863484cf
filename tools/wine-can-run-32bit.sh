#!/usr/bin/env bash
# Exit status 0 when this machine can run 32-bit Windows programs under Wine.
# Some kernels (and some sandboxes) run no 32-bit code at all; there the
# 64-bit build of the same sources stands in for the tests.
/usr/lib/wine/wine --version >/dev/null 2>&1
