# shellcheck shell=bash
# Checks a robot transcript against the expectations written into its
# script (sourced by the robot's tests and by the end-to-end library, lib.sh):
#   #= TEXT   must appear, within some line, after the previous #= match
#   #! TEXT   must not appear anywhere
# check_transcript SCRIPT TRANSCRIPT [LABEL] reports each miss through the
# caller's fail function. A script without a "#= " line (or none that can
# be read) counts as a miss: its run would pass whatever happened.
check_transcript() {
    local script=$1 out=$2 label=${3:+$3: } line text at after=0 expected=0
    while IFS= read -r line; do
        case "$line" in
            '#= '*)
                expected=$((expected + 1))
                text=${line#'#= '}
                at=$(tail -n +"$((after + 1))" "$out" | grep -n -F -m1 -e "$text" | cut -d: -f1)
                if [ -n "$at" ]; then
                    after=$((after + at))
                else
                    fail "${label}missing in the transcript (after line $after): $text"
                fi
                ;;
            '#! '*)
                text=${line#'#! '}
                grep -q -F -e "$text" "$out" && fail "${label}should not be in the transcript: $text"
                ;;
        esac
    done <"$script"
    [ "$expected" != 0 ] || fail "${label}$script has no \"#= \" line to check the transcript against"
}
