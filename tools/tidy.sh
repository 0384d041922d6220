#!/usr/bin/env bash
# Static analysis of the core libraries with Debian's clang-tidy and the checks in .clang-tidy; fails on a
# finding.
#   bash tools/tidy.sh                   every C and C++ file of the folders below
#   bash tools/tidy.sh --changed [BASE]  only those changed since the merge base with BASE (default origin/main,
#                                        else HEAD~1); a changed header counts for the files beside it
#   bash tools/tidy.sh FILES...          the given files (those outside the folders are passed over)
# The compile commands come from a configure-only build folder, build-tidy/, without precompiled headers
# (clang cannot read the compiler's own).
set -euo pipefail
cd "$(dirname "$0")/.."

# The core libraries: no widgets, the adapter libraries and what they share.
FOLDERS=(app engine simulator netadapter adaptercore)

in_folders() { # file -> success when it is a C or C++ source of one of FOLDERS
    local folder
    for folder in "${FOLDERS[@]}"; do
        case "$1" in
        "$folder"/*.c | "$folder"/*.cpp) return 0 ;;
        esac
    done
    return 1
}

changed() { # base -> changed files, the sources beside a changed header included
    local base=$1 f
    git rev-parse -q --verify "$base" >/dev/null || base=HEAD~1
    for f in $(git diff --name-only --diff-filter=d "$(git merge-base "$base" HEAD)" -- "${FOLDERS[@]}"); do
        case "$f" in
        *.h) ls "${f%.h}".c "${f%.h}".cpp "${f%.h}"?*.cpp 2>/dev/null || true ;;
        *) echo "$f" ;;
        esac
    done | sort -u
}

files=()
case "${1:-}" in
--changed) mapfile -t candidates < <(changed "${2:-origin/main}") ;;
"") mapfile -t candidates < <(git ls-files -- "${FOLDERS[@]}") ;;
*) candidates=("$@") ;;
esac
for f in "${candidates[@]}"; do
    in_folders "$f" && [ -f "$f" ] && files+=("$PWD/$f")
done
if [ ${#files[@]} -eq 0 ]; then
    echo "tidy.sh: no C or C++ file of ${FOLDERS[*]} to check"
    exit 0
fi

dir=build-tidy
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DWLANUTIL_PCH=OFF \
      -DWLANUTIL_TESTS=OFF >/dev/null
folders=$(IFS='|'; echo "${FOLDERS[*]}")
echo "tidy.sh: ${#files[@]} files"
# The files are regular expressions to run-clang-tidy: their dots and pluses are escaped.
run-clang-tidy -quiet -p "$dir" -j "$(nproc)" -header-filter "^$PWD/($folders)/" \
    "${files[@]//[.+]/\\&}" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' |
    { grep -v -E '^(clang-tidy|[0-9]+ warnings? generated)' || true; }
exit "${PIPESTATUS[0]}"
