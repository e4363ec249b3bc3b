#!/usr/bin/env bash
# The launcher loads the translation-database module only when TraductionUpdate.mdb is in the
# program folder: a launch with no check due then still rewrites the language files from it.
set -euo pipefail
# LeakSanitizer's exit-time check of the whole program now and then crashes its own tracer on a
# busy machine; leaks are checked by the tests that run the code in process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
bin=$1   # the program folder of the build
mdb=$2   # a real translation database
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$bin/QuoUpdate" "$bin/libquo_mdb.so" "$dir/"
cp "$mdb" "$dir/TraductionUpdate.mdb"
timeout 60 "$dir/QuoUpdate" 2.1.0 /opt/quorvanta/
for id in 1036 1033; do
  [ -s "$dir/LanguesUpdate/$id.lng" ] || { echo "no $id.lng written"; ls -R "$dir"; exit 1; }
done
grep -q 'No new update available' "$dir/LanguesUpdate/1033.lng" || { echo "1033.lng:"; cat "$dir/LanguesUpdate/1033.lng"; exit 1; }

# Without the database the module is never loaded (an unloadable one is harmless).
rm -rf "$dir/LanguesUpdate" "$dir/TraductionUpdate.mdb"
echo "not a module" >"$dir/libquo_mdb.so"
timeout 60 "$dir/QuoUpdate" 2.1.0 /opt/quorvanta/ 2>"$dir/err"
[ ! -s "$dir/err" ] && [ ! -e "$dir/LanguesUpdate/1033.lng" ] || { cat "$dir/err"; exit 1; }
echo "modules test passed"
