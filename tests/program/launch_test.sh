#!/usr/bin/env bash
# Starts the built program as a launch by the product with no check due, from a fresh program
# folder: it must leave exactly the three log lines, create no settings file, and a second
# instance must end at once without a trace.
set -euo pipefail
# LeakSanitizer's exit-time check of the whole program now and then crashes its own tracer on a
# busy machine; leaks are checked by the tests that run the code in process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
exe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/QuoUpdate"

timeout 20 "$dir/QuoUpdate" '2.1.0/C:\Prod'
expected=$'2.1.0/C:\\Prod\r\n2.1.0\r\nC:\\Prod\r\n'
[ "$(cat "$dir/log.txt")" == "$(printf '%s' "$expected")" ] || { echo "log.txt:"; cat -A "$dir/log.txt"; exit 1; }
[ ! -e "$dir/QuoUpdate.ini" ] || { echo "settings file created"; exit 1; }

# Linux form: one field per argument.
timeout 20 "$dir/QuoUpdate" 2.1.0 /opt/quorvanta/
[ "$(tail -n 3 "$dir/log.txt" | tr -d '\r')" == $'2.1.0 /opt/quorvanta/\n2.1.0\n/opt/quorvanta/' ] || { cat -A "$dir/log.txt"; exit 1; }

# Second instance: hold the program's lock, then start it.
before=$(stat -c %s "$dir/log.txt")
exec 9<"$dir/QuoUpdate"
flock -x 9
start=$(date +%s%N)
timeout 20 "$dir/QuoUpdate" '2.1.0/C:\Prod'
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
exec 9<&-
[ "$(stat -c %s "$dir/log.txt")" == "$before" ] || { echo "second instance wrote to the log"; exit 1; }
[ ! -e "$dir/QuoUpdate.ini" ] || { echo "second instance created the settings file"; exit 1; }
[ "$elapsed" -lt 5000 ] || { echo "second instance took ${elapsed} ms"; exit 1; }
echo "launch test passed"
