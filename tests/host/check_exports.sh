#!/bin/sh
# check_exports.sh LIBRARY [EXPECTED]
# Fails unless the library defines exactly the host entry points as dynamic symbols
# (by default the VST 3 bundle's; EXPECTED lists others, sorted, space-separated).
expected=${2:-"ExitDll GetPluginFactory InitDll ModuleEntry ModuleExit ztpiMain"}
actual=$(nm -D --defined-only "$1" | awk '{ print $3 }' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports: $actual"
  echo "expected: $expected"
  exit 1
fi
