#!/bin/sh
# Runs a shard of the test program under Wine and passes on its status,
# with one exception.  32-bit Wine 8 now and then dies of SIGSEGV in its
# own Unix code as a quick process ends (a thread of its display driver
# still starting when the process exits: pthread_getspecific under Wine's
# signal handler, seen in a core dump about once in 150 runs of a shard
# that takes a few milliseconds).  A fault of the program itself would be
# a Windows exception and end it with that code, never with a signal.  So
# when the loader died of SIGSEGV after GoogleTest wrote a complete report
# in which every case passed, the shard passed, and this says why.
#   wine_gtest.sh <wine_run> <test program> <argument>...
run=$1
shift
report=$(mktemp /tmp/bramo-gtest-XXXXXX.xml) || exit 1
trap 'rm -f "$report"' EXIT
"$run" "$@" "--gtest_output=xml:Z:$report"
status=$?
if [ "$status" -eq 139 ] &&
  grep -Eq '<testsuites tests="[1-9][0-9]*" failures="0" disabled="[0-9]+" errors="0"' "$report" &&
  grep -q '</testsuites>' "$report"; then
  echo "wine_gtest.sh: every case passed (GoogleTest's report); Wine's loader then died of SIGSEGV as the process ended, a fault of Wine's, not of the program" >&2
  exit 0
fi
exit "$status"
