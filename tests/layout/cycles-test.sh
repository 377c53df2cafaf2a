#!/bin/bash
# The folder cycle check on small trees made to pass or break it: includes
# resolved beside the file, through the include directories the
# CMakeLists.txt declare, and by a bare name; cycles and ambiguous names
# refused with what causes them.
#
#   cycles-test.sh SOURCE_ROOT
set -uo pipefail

check=$1/scripts/check-include-cycles.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree NAME FILE=TEXT...: a tree of files (TEXT with \n for line ends).
tree() {
    local dir=$work/$1
    shift
    mkdir -p "$dir"
    for spec in "$@"; do
        mkdir -p "$dir/$(dirname "${spec%%=*}")"
        printf '%b\n' "${spec#*=}" > "$dir/${spec%%=*}"
    done
}

# expect NAME STATUS PATTERN: the check over tree NAME exits with STATUS and
# prints a line matching PATTERN.
expect() {
    local output status
    output=$(python3 "$check" "$work/$1")
    status=$?
    if [ "$status" -ne "$2" ] || ! grep -qE -- "$3" <<<"$output"; then
        echo "FAIL $1: expected status $2 and /$3/, got $status:"
        printf '    %s\n' "${output//$'\n'/$'\n'    }"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

# Two libraries whose headers include each other through their exported
# directories. (The CMake text is quoted as it is: no shell expansion.)
# shellcheck disable=SC2016
tree declared_cycle \
    'a/CMakeLists.txt=add_core_library(a SOURCES A.cpp)' \
    'a/A.h=#include "B.h"' \
    'b/CMakeLists.txt=add_library(b STATIC B.cpp)\ntarget_include_directories(b PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})' \
    'b/B.h=#pragma once\n#include <vector>\n#include "A.h"'
expect declared_cycle 1 '^  cycle: a/ -> b/ -> a/$'
expect declared_cycle 1 '^    b/B.h -> a/A.h$'

# A three-folder loop through bare names that no CMakeLists.txt declares.
tree bare_cycle 'x/X.h=#include "Y.h"' 'y/Y.h=#include "Z.h"' 'z/Z.h=#include "X.h"'
expect bare_cycle 1 '^  cycle: x/ -> y/ -> z/ -> x/$'

# A name two folders hold is ambiguous; the file beside the includer wins.
tree ambiguous 'p/Util.h=' 'q/Util.h=' 'r/R.cpp=#include "Util.h"' 'p/P.cpp=#include "Util.h"'
expect ambiguous 1 '^r/R.cpp: #include Util.h is ambiguous: the tree holds p/Util.h, q/Util.h$'

# Includes one way only, one through a directory named from the project's
# root and in angle brackets: no cycle.
# shellcheck disable=SC2016
tree clean \
    'CMakeLists.txt=target_include_directories(app PRIVATE ${PROJECT_SOURCE_DIR}/lib/public)' \
    'lib/public/Api.h=#include "../Impl.h"' 'lib/Impl.h=#include <string>' \
    'app/Main.cpp=#include <Api.h>\n#include "Impl.h"' 'lib/Util.h=' 'app/Util.h=' 'app/Other.cpp=#include "Util.h"'
expect clean 0 '^3 folders, 3 dependencies between them, no cycle$'

[ "$failures" -eq 0 ]
