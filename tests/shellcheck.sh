#!/bin/bash
# Every shell script of the repository passes shellcheck with no finding at
# all, notes included (settings and the reasons for them: .shellcheckrc): the
# *.sh files and the files that start with a shell's #! line (scripts/wine-run,
# .ci/run). Files ignored by git, the build directories among them, are left
# out. Runs from the root, where the "shellcheck source=" paths start.
set -uo pipefail
cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." || exit 1
command -v shellcheck >/dev/null || { echo "shellcheck is not installed (scripts/bootstrap.sh)"; exit 1; }

scripts=()
while IFS= read -r file; do
    [ -f "$file" ] || continue
    case "$file" in
        *.sh) scripts+=("$file") ;;
        *) head -n1 "$file" | grep -qE '^#!.*[/ ](ba)?sh( |$)' && scripts+=("$file") ;;
    esac
done < <(git ls-files --cached --others --exclude-standard)
[ ${#scripts[@]} -gt 0 ] || { echo "shellcheck.sh: no shell scripts found"; exit 1; }

# A few scripts per shellcheck, one shellcheck per core: each script's
# libraries are read again for it, which makes a single run slow.
findings=$(printf '%s\0' "${scripts[@]}" | xargs -0 -n 4 -P "$(nproc)" shellcheck -f gcc)
status=$?
if [ -n "$findings" ] || [ "$status" != 0 ]; then
    echo "$findings"
    echo "shellcheck: $(grep -c . <<<"$findings") findings in ${#scripts[@]} scripts"
    exit 1
fi
echo "shellcheck: ${#scripts[@]} scripts, no findings"
