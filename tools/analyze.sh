#!/usr/bin/env bash
# Static analysis of the product sources with one analyser:
#   tools/analyze.sh clang-tidy-native   portable code, host compiler flags
#   tools/analyze.sh clang-tidy-windows  Win32 code, clang against the
#                                        MinGW-w64 headers and libstdc++
# Reads the compile_commands.json of the native and Windows builds under the
# build directory (second argument, default build/). The checks are in
# .clang-tidy; any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
analyser=${1:?"usage: $0 clang-tidy-native|clang-tidy-windows [build-dir]"}
build=${2:-$root/build}
jobs=$(nproc)

# The source tree as the build knows it (the paths in its compile commands and
# in the compiler's messages start with it).
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/native/CMakeCache.txt")
[ -n "$source_dir" ] || { echo "$build/native is not configured" >&2; exit 1; }
source_re=$(printf '%s' "$source_dir" | sed 's/[][\\.*^$+?(){}|]/\\&/g')
# Product sources only: tests/ and tools/ are not shipped, generated code lives
# in the build tree.
product_dirs='(app|counter|display|page|device|about|framework|remote)'
# Vendored libraries (remote/third_party) are not ours to change: left out.
product="^$source_re/$product_dirs/[^ ]*\\.cpp\$"

sources_of() {
  python3 -c 'import json, sys
for entry in json.load(open(sys.argv[1])):
    print(entry["file"])' "$1/compile_commands.json" | grep -E "$product" | grep -v '/third_party/' | sort -u
}

# The MinGW-w64 g++ of the Windows build, asked for its include search list:
# libstdc++'s directories and the MinGW-w64 C headers, in its order, with
# clang's own builtin headers in place of gcc's.
mingw_flags() {
  local cxx=$1 gcc_include gcc_fixed dir
  gcc_include=$("$cxx" -print-file-name=include)
  gcc_fixed=$("$cxx" -print-file-name=include-fixed)
  echo "--extra-arg-before=--target=x86_64-w64-mingw32"
  echo "--extra-arg=-nostdinc"
  while read -r dir; do
    dir=$(realpath "$dir")
    if [ "$dir" = "$(realpath "$gcc_include")" ]; then
      echo "--extra-arg=-isystem$(clang++ -print-resource-dir)/include"
    elif [ "$dir" != "$(realpath "$gcc_fixed")" ]; then
      echo "--extra-arg=-isystem$dir"
    fi
  done < <("$cxx" -xc++ -E -v /dev/null 2>&1 | sed -n '/^#include <...>/,/^End of search list/p' | sed '1d;$d')
}

case $analyser in
  clang-tidy-native)
    db=$build/native
    mapfile -t files < <(sources_of "$db")
    flags=()
    ;;
  clang-tidy-windows)
    db=$build/win
    mapfile -t portable < <(sources_of "$build/native")
    mapfile -t files < <(sources_of "$db" | grep -vxF -f <(printf '%s\n' "${portable[@]}"))
    cxx=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' \
      "$db/compile_commands.json")
    mapfile -t flags < <(mingw_flags "$cxx")
    ;;
  *)
    echo "unknown analyser: $analyser" >&2
    exit 2
    ;;
esac

[ ${#files[@]} -gt 0 ] || { echo "no sources found in $db/compile_commands.json" >&2; exit 1; }
echo "clang-tidy over ${#files[@]} files of $db"
# Headers count where they live in the product tree (not the stand-ins of
# tests/native/include, not the generated ones). The build's gcc warning
# options that clang does not know are not findings.
header_filter="^$source_re/$product_dirs/"
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 1 clang-tidy -p "$db" --quiet --header-filter="$header_filter" "${flags[@]}" \
    --extra-arg=-Wno-unknown-warning-option || status=1
if [ $status -eq 0 ]; then
  echo "$analyser: no findings (${SECONDS} s)"
else
  echo "$analyser: findings above (${SECONDS} s)"
fi
exit $status
