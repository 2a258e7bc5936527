#!/bin/sh
# Makes the Wine prefix a Windows build's tests run in, unless it is there.
#   wine_prefix.sh <wine loader> <prefix folder> <win32 | win64>
# Fails when Wine could not make it.
set -eu
loader=$1 prefix=$2 arch=$3
[ -f "$prefix/system.reg" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml="
echo "making the $arch Wine prefix $prefix"
# wineboot reports the parts of a prefix Wine could not set up (on a
# machine without 32-bit programs, the 32-bit half of a 64-bit prefix);
# what the tests need is the prefix itself, checked below.
"$loader" wineboot -i >/dev/null 2>&1 || true
# A program that crashes must fail its test, not wait on a display for
# someone to close Wine's crash dialog.
"$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
  /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
wineserver -w || true
if [ ! -f "$prefix/system.reg" ]; then
  echo "$loader could not make the Wine prefix $prefix" >&2
  exit 1
fi
