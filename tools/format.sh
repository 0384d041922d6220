#!/usr/bin/env bash
# Checks or applies the code format of .clang-format with Debian's clang-format (other versions break lines
# differently, so CI and developers use that one).
#   bash tools/format.sh check [files...]   lists every difference and fails when there is one
#   bash tools/format.sh fix [files...]     rewrites the files in place
# Without files: every C and C++ file git tracks. Given files that are not C or C++ sources, or no longer
# exist (a list of changed files may hold both), are passed over.
set -euo pipefail
cd "$(dirname "$0")/.."

sources() { # files... -> the C and C++ sources among them, NUL-separated
    if [ $# -eq 0 ]; then
        git ls-files -z -- '*.c' '*.cpp' '*.h'
        return
    fi
    local f
    for f in "$@"; do
        case "$f" in
        *.c | *.cpp | *.h) [ -f "$f" ] && printf '%s\0' "$f" ;;
        esac
    done
    return 0
}

cmd=${1:-}
shift || true
case "$cmd" in
check) args=(--dry-run -Werror) ;;
fix) args=(-i) ;;
*)
    sed -n '2,7p' "$0"
    exit 2
    ;;
esac
if ! command -v clang-format >/dev/null; then
    echo "format.sh: clang-format is missing (apt-get install clang-format)" >&2
    exit 2
fi
if ! sources "$@" | xargs -0 -r clang-format --style=file "${args[@]}"; then
    echo "format.sh: the files above differ from .clang-format; 'bash tools/format.sh fix FILES' rewrites them" >&2
    exit 1
fi
