#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Puts the licence line as the first line of every source file that lacks it, after a shebang
# if the file starts with one: "// SPDX-License-Identifier: Apache-2.0" in C++ sources, the
# same behind "#" in Python, shell and CMake files. Running it again changes nothing.
#
#   scripts/add-spdx.sh [--check] [file...]
#
# Without files it takes every source file git knows in the repository (tracked, or untracked
# and not ignored; outside a git checkout, every file but those under build/). With --check it
# changes nothing, lists the files lacking the line and exits 1 if there is any
# (scripts/check_spdx.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly tag="SPDX-License-Identifier: Apache-2.0"

check=0
if [[ ${1:-} == --check ]]; then
    check=1
    shift
fi

# The comment leader of a source file, or nothing for files that are not sources (data, seed
# corpora, Markdown, templates of other formats).
leader() {
    case $1 in
        *.h | *.hpp | *.cpp | *.cc | *.inc) echo "//" ;;
        *.py | *.sh | */CMakeLists.txt | CMakeLists.txt | *.cmake | *.cmake.in) echo "#" ;;
    esac
}

# True when the first line, or the second behind a shebang, is the licence line.
has_tag() {
    local first second
    { IFS= read -r first || true; IFS= read -r second || true; } <"$1"
    [[ $first == *"$tag"* ]] || { [[ $first == '#!'* ]] && [[ $second == *"$tag"* ]]; }
}

add_tag() {
    local file=$1 line=$2 tmp
    tmp=$(mktemp "$file.spdx.XXXXXX")
    if IFS= read -r first <"$file" && [[ $first == '#!'* ]]; then
        { printf '%s\n%s\n' "$first" "$line"; tail -n +2 "$file"; } >"$tmp"
    else
        { printf '%s\n' "$line"; cat "$file"; } >"$tmp"
    fi
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
}

if [[ $# -eq 0 ]]; then
    cd "$root"
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        mapfile -t files < <(git ls-files --cached --others --exclude-standard | sort -u)
    else  # an unpacked source archive: everything but build trees
        mapfile -t files < <(find . -path ./build -prune -o -type f -print | sed 's|^\./||' | sort)
    fi
else
    files=("$@")
fi

missing=0
for file in "${files[@]}"; do
    [[ -f $file ]] || continue
    lead=$(leader "$file")
    [[ -n $lead ]] || continue
    has_tag "$file" && continue
    missing=$((missing + 1))
    if ((check)); then
        echo "$file"
    else
        add_tag "$file" "$lead $tag"
    fi
done
if ((check && missing)); then
    echo "$missing source files lack the line '$tag' (scripts/add-spdx.sh adds it)" >&2
    exit 1
fi
