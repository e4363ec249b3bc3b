#!/usr/bin/env bash
# Unattended runs of the built program (QUOUPDATE_UNATTENDED=1, offscreen): a forced launch
# reaches its end and exits on its own; a start-up error is answered on standard error and
# exits non-zero; no run waits for a person.
set -euo pipefail
# LeakSanitizer's exit-time check of the whole program now and then crashes its own tracer on a
# busy machine; leaks are checked by the tests that run the code in process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
bin=$1  # the program folder of the build
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$bin/QuoUpdate" "$bin"/libquo_*.so "$dir/"
export QUOUPDATE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen
# The settings point at a closed port on loopback: nothing is ever sent elsewhere.
printf '[Server]\r\nAdresse=127.0.0.1:9\r\n' > "$dir/QuoUpdate.ini"

# The forced run ends on its own: 0 when the search reports nothing to do, 1 when it reports
# the unreachable server as a failure; never the timeout.
status=0
timeout 60 "$dir/QuoUpdate" 2.1.0 "$dir/" 1036 1 2>"$dir/err" || status=$?
[ "$status" = 0 ] || [ "$status" = 1 ] || { echo "forced run: status $status"; cat "$dir/err"; exit 1; }

# A folder standing where the log must be written: the start-up error is shown in a box.
rm -f "$dir/log.txt"
mkdir "$dir/log.txt"
status=0
timeout 60 "$dir/QuoUpdate" 2.1.0 "$dir/" 2>"$dir/err" || status=$?
[ "$status" != 0 ] && [ "$status" != 124 ] || { echo "failed start-up: status $status"; exit 1; }
grep -q '^QuoUpdate: ' "$dir/err" || { echo "no message on stderr:"; cat "$dir/err"; exit 1; }
# No check due: the launch ends before loading any module (here unloadable ones).
nomod=$(mktemp -d)
cp "$bin/QuoUpdate" "$nomod/"
for m in libquo_gui.so libquo_avi.so libquo_mdb.so; do echo "not a module" >"$nomod/$m"; done
printf '[temps]\r\nfrequence=0\r\n' >"$nomod/QuoUpdate.ini"
status=0
timeout 20 "$nomod/QuoUpdate" 2.1.0 /opt/quorvanta/ 2>"$nomod/err" || status=$?
[ "$status" = 0 ] && [ ! -s "$nomod/err" ] || { echo "no-check launch: status $status"; cat "$nomod/err"; rm -rf "$nomod"; exit 1; }
# A run that goes on with a broken window module says so and fails.
status=0
timeout 20 "$nomod/QuoUpdate" 2>"$nomod/err" || status=$?
grep -q 'libquo_gui.so' "$nomod/err" && [ "$status" = 1 ] || { echo "broken module: status $status"; cat "$nomod/err"; rm -rf "$nomod"; exit 1; }
rm -rf "$nomod"
echo "unattended test passed"
