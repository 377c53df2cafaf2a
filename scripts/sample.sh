#!/bin/bash
# The main job: the demo installed from the bundled sample CD.
#
# Builds the Windows programs and masters the sample CD: the release
# (build/win32/DEMOMB.ISO, the 32-bit programs for Windows 95) where this
# machine runs 32-bit code, which Wine's 32-bit half needs, and the same disc
# with the 64-bit programs (build/win64/DEMOMB.ISO) elsewhere; the first
# lines say which and why (scripts/probe-32bit.sh; RUNS_32BIT_CODE=no plays
# a machine that refuses 32-bit code). Then it
# makes a fresh Windows 95 prefix (build/sample/prefix) with the image's
# contents (build/sample/cd, read-only, as 7z extracts them) as its CD-ROM
# drive D: and a sound card that the
# installer can detect (the stand-in for the sound library's driver,
# tests/support/qrbdivd, and a Sound Blaster 16 among the wave devices;
# SAMPLE_SOUND_DRIVER=none leaves them out, and the installer then asks for
# the card from its table), and starts D:\ZELMOT.EXE with D:\ as working
# directory.
#  - With a display (DISPLAY set, outside CI) the installer's window opens and
#    the user installs by hand.
#  - Without one, the installer runs under Xvfb and the UI robot presses
#    "Instalar" and answers the messages; the script prints what the user
#    would have seen (the robot's transcript), what was installed where, the
#    sound configuration written (qrbset.cfg), the program group's shortcuts,
#    the registry values written; then the installed audio setup program
#    (the "Setup Audio" item) chooses the sound card again, once with the
#    driver (detected devices) and once after it has been stopped (the card
#    table); then, as a last act, runs the registered uninstaller, answers
#    "Sí" and shows what is left before and after the next start of Windows;
#    and where the screenshots are.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
# shellcheck source=scripts/wine-display.sh
source scripts/wine-display.sh
# shellcheck source=scripts/wine-cd.sh
source scripts/wine-cd.sh
# shellcheck source=scripts/probe-32bit.sh
source scripts/probe-32bit.sh

# The recording of the install run: how full the bar is in every frame, and
# two frames taken while it was filling kept as zelmot-copy-1/2.png.
show_progress_frames() {
    local dir=$1 frames fills
    frames=("$dir"/copy-*.bmp)
    echo
    echo "== The progress bar during the install run"
    if [ ! -f "${frames[0]}" ]; then
        echo "(no frames were recorded)"
        return
    fi
    fills=$(/usr/bin/python3 scripts/progress-frames.py "${frames[@]}") || return
    echo "${#frames[@]} frames, the bar filled in each (per cent): $(awk '{printf "%s%d", (NR > 1 ? " " : ""), $1}' <<<"$fills")"
    # Of the frames with the bar part-way, those nearest a third and two thirds.
    local first last
    nearest() { awk -v t="$1" '$1 > 0.5 && $1 < 99.5 { d = ($1 > t) ? $1 - t : t - $1; if (f == "" || d < best) { best = d; f = $2 } } END { print f }' <<<"$fills"; }
    first=$(nearest 33)
    last=$(nearest 67)
    if [ -z "$first" ]; then
        echo "(the run was too quick to catch the bar half-way)"
        return
    fi
    convert "$first" "$shots/zelmot-copy-1.png"
    echo "during the run: $shots/zelmot-copy-1.png ($(awk -v f="$first" '$2 == f {print $1}' <<<"$fills") % filled)"
    if [ "$last" != "$first" ]; then
        convert "$last" "$shots/zelmot-copy-2.png"
        echo "later:          $shots/zelmot-copy-2.png ($(awk -v f="$last" '$2 == f {print $1}' <<<"$fills") % filled)"
    fi
}

bash scripts/bootstrap.sh
# The disc, and the robot of its programs' bitness. A 32-bit program sees
# HKLM\Software through Wow6432Node: its uninstall key is there.
if use_32bit_code; then
    preset=win32
    robot_dir=build/win32/testtools/tools/uirobot
    robot_target=testtools
    software='HKLM\Software\Wow6432Node'
    echo "== The disc: build/win32/DEMOMB.ISO, the release (the 32-bit programs for Windows 95): this machine runs 32-bit code"
else
    preset=win64
    robot_dir=build/win64/tools/uirobot
    robot_target=uirobot
    software='HKLM\Software'
    echo "== The disc: build/win64/DEMOMB.ISO, the same disc with 64-bit programs: this machine's kernel refuses 32-bit code, and the release's programs are 32-bit"
fi
image=build/$preset/DEMOMB.ISO
# The prefix is a copy of that build's test prefix template.
wine_cd_template=${WINE_PREFIX_TEMPLATE:-$root/build/$preset/wine-prefix.template}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target disc "$robot_target" qrbdivd -j"$(nproc)" >/dev/null

out=$root/build/sample
cd_dir=$out/cd
prefix=$out/prefix
shots=$out/screenshots
[ -d "$out/cd" ] && chmod -R u+w "$out/cd"
rm -rf "$out"
mkdir -p "$out" "$shots"
# The disc as pressed: its size file (Longitud.dat, written when it was
# mastered) spares the installer the size pass.
echo "== The disc image, $image ($(stat -c %s "$image") bytes), label $(
    xorriso -indev "$image" -pvd_info 2>/dev/null | sed -n 's/^Volume Id *: *//p')"
7z x -y -o"$cd_dir" "$image" >/dev/null
chmod -R a-w "$cd_dir"
find "$cd_dir" -mindepth 1 -maxdepth 1 -printf '%f %s\n' | sort | awk '{printf "  %10s  %s\n", $2, $1}'
echo "AUTORUN.INF:"
sed 's/\r$//; s/^/  /' "$cd_dir/AUTORUN.INF"
echo "Longitud.dat (component, archive): $(od -An -tu4 "$cd_dir/Longitud.dat" | xargs)"
echo

# The CD in drive D: and, unless SAMPLE_SOUND_DRIVER=none, the sound card:
# the stand-in driver as a service that starts with every Wine session, and
# the wave device it identifies.
sound_driver=${SAMPLE_SOUND_DRIVER:-qrbdivd}
sound=(--sound "build/$preset/tests/qrbdivd.sys")
[ "$sound_driver" != none ] || sound=()
trap 'wine_stop_server "$prefix"; display_stop' EXIT
wine_cd_prefix "$prefix" "$cd_dir" "${sound[@]}" --robot "$robot_dir" >/dev/null
# Listed by the build's own packer, which reads archives as the installer does.
echo "== The sample CD's resource archive, D:\\Resource.lzh"
"build/$preset/host/tools/lzhtool/lzhtool" l "$cd_dir/Resource.lzh" 2>/dev/null || true

# A real graphics driver for the window.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
display_prefix "$prefix"

# Wine's desktop answers the installer's Program Manager commands and opens an
# explorer window on the group for each of them (eleven), over the closing
# message. The desktop, an explorer itself, is started first; explorer is
# then turned off for the windows that would follow, until the run is over.
quiet_shell() {
    wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
    local _ p
    for _ in $(seq 100); do
        for p in $(pgrep -f '^C:.windows.system32.explorer.exe /desktop'); do
            tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && break 2
        done
        sleep 0.1
    done
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v explorer.exe /d '' /f >/dev/null 2>&1
}
shell_back() {
    wine reg delete 'HKCU\Software\Wine\DllOverrides' /v explorer.exe /f >/dev/null 2>&1
}

by_hand=
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    by_hand=1
    echo
    echo "== Starting the installer on $DISPLAY: install by hand, then close it."
    quiet_shell
    (cd "$cd_dir" && wine 'D:\ZELMOT.EXE') || true
    shell_back
else
    # Without the driver the run asks for the sound card: the table's first.
    sound_lines=
    if [ "$sound_driver" = none ]; then
        sound_lines='stop-recording
wait-title "Driver QRB"
screenshot C:\zelmot-sound.bmp
press IDOK
wait-title "Demo Morvadin Brumaria"'
    fi
    cat >"$prefix/drive_c/install.txt" <<SCRIPT
wait-title "Demo Morvadin Brumaria"
screenshot C:\zelmot-start.bmp
record C:\frames\copy 0
click-button-text "Instalar"
$sound_lines
expect-box "instalado con"
sleep 300
stop-recording
screenshot C:\zelmot-done.bmp
press IDOK
expect-exit 0
SCRIPT
    mkdir -p "$prefix/drive_c/frames"
    echo
    echo "== What the user sees (the robot's transcript)"
    display_start "$out"
    quiet_shell
    wine 'C:\uirobot.exe' --cwd 'D:\' --script 'C:\install.txt' -- 'D:\ZELMOT.EXE' </dev/null |
        iconv -f CP1252 -t UTF-8
    shell_back
    wineserver -k
    display_stop
    for shot in zelmot-start zelmot-sound zelmot-done; do
        [ -f "$prefix/drive_c/$shot.bmp" ] && convert "$prefix/drive_c/$shot.bmp" "$shots/$shot.png"
    done
    show_progress_frames "$prefix/drive_c/frames"
fi

echo
echo "== Installed in C:\\DemoMB ($prefix/drive_c/DemoMB)"
if [ -d "$prefix/drive_c/DemoMB" ]; then
    (cd "$prefix/drive_c/DemoMB" && find . -type f -printf '%10s  %TY-%Tm-%Td %TH:%TM  %P\n' | sort -k4)
else
    echo "(nothing)"
fi
echo
echo "== Put into the Windows directory"
find "$prefix/drive_c/windows" -maxdepth 1 -iname dexal.exe -printf '%10s  %TY-%Tm-%Td %TH:%TM  C:\\windows\\%f\n'
echo
echo "== The program group (Start Menu folder of the prefix's user)"
group=$(compgen -G "$prefix/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Demo Morvadin Brumaria" || true)
if [ -n "$group" ]; then
    for link in "$group"/*.lnk; do
        [ -f "$link" ] || continue
        # A shortcut keeps its target as a plain ANSI path.
        echo "$(basename "$link" .lnk) -> $(strings -n 6 "$link" | grep -m1 -E '^[A-Z]:\\' || echo '?')"
    done
else
    echo "(none: no Program Manager answered)"
fi
echo
echo "== Registry values written"
for key in 'HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria' \
    "$software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria"; do
    wine reg query "$key" 2>/dev/null | tr -d '\r' | sed '/^$/d' || echo "$key: (none)"
done

# qrbset.cfg as text, its line ends shown.
show_sound_config() {
    local file=$prefix/drive_c/DemoMB/qrbset.cfg
    if [ ! -f "$file" ]; then
        echo "(no qrbset.cfg)"
        return
    fi
    sed -e 's/\r$/  [CR LF]/' "$file"
    [ -z "$(tail -c 2 "$file" | tr -d '\r\n')" ] || printf '\n(no line end after the last line)\n'
}

echo
echo "== The sound configuration, C:\\DemoMB\\qrbset.cfg"
show_sound_config

# The audio setup program as its "Setup Audio" item starts it, in the
# install directory: with the driver it lists the detected device and its
# DMA channels (the robot takes the smaller); with the driver stopped it
# offers the card table (the robot takes a Sound Blaster Pro at 240).
if [ -z "$by_hand" ] && [ -f "$prefix/drive_c/DemoMB/AUDSETUP.EXE" ]; then
    cat >"$prefix/drive_c/audsetup-detected.txt" <<'SCRIPT'
wait-title "Driver QRB"
read 1038
read 1041
read 1040
expect-items 1039 "5|1"
select 1039 1
screenshot C:\audsetup-detected.bmp
press IDOK
expect-exit 0
SCRIPT
    cat >"$prefix/drive_c/audsetup-cards.txt" <<'SCRIPT'
wait-title "Driver QRB"
select 1038 "Sound Blaster Pro"
select 1044 240
select 1045 7
screenshot C:\audsetup-cards.bmp
press IDOK
expect-exit 0
SCRIPT
    # The installed AUDSETUP driven by the robot script C:\SCRIPT.txt (its
    # transcript without the dialog's long control list), then the file.
    run_audsetup() {
        wine 'C:\uirobot.exe' --cwd 'C:\DemoMB' --script "C:\\$1.txt" -- 'C:\DemoMB\AUDSETUP.EXE' \
            </dev/null | iconv -f CP1252 -t UTF-8 | grep -v -E '^ {13}(button |\(|control [0-9]+ [^(])' || true
        echo "-- qrbset.cfg now:"
        show_sound_config
    }
    # A session of its own, whose desktop is on the display.
    wineserver -k || true
    display_start "$out"
    if [ "$sound_driver" != none ]; then
        echo
        echo "== Setup Audio (C:\\DemoMB\\AUDSETUP.EXE) with the sound driver: the detected device"
        run_audsetup audsetup-detected
        wine sc stop qrbdivd </dev/null >/dev/null 2>&1 || true
    fi
    echo
    echo "== Setup Audio without the sound driver: the card table"
    run_audsetup audsetup-cards
    wineserver -k || true
    display_stop
    for shot in audsetup-detected audsetup-cards; do
        [ -f "$prefix/drive_c/$shot.bmp" ] && convert "$prefix/drive_c/$shot.bmp" "$shots/$shot.png"
    done
fi

# The last act: the uninstaller, started as the registered UninstallString
# says, answered "Sí"; then the next start of Windows (wineboot -r carries out
# WININIT.INI), which removes the uninstaller itself.
uninstall_key="$software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria"
uninstaller=$(wine reg query "$uninstall_key" /v UninstallString 2>/dev/null | tr -d '\r' |
    sed -n 's/^    UninstallString    REG_SZ    //p')
if [ -n "$by_hand" ]; then
    echo
    echo "== To uninstall: WINEPREFIX=$prefix wine '${uninstaller:-C:\windows\Dexal.EXE}'"
elif [ -n "$uninstaller" ]; then
    cat >"$prefix/drive_c/uninstall.txt" <<'SCRIPT'
expect-box "desinstalar Demo Morvadin Brumaria?"
screenshot C:\dexal-question.bmp
press IDYES
expect-box "desinstalado"
screenshot C:\dexal-done.bmp
press IDOK
expect-exit 0
SCRIPT
    echo
    echo "== Last act: $uninstaller (the registered UninstallString), as the user sees it"
    display_start "$out"
    quiet_shell
    wine 'C:\uirobot.exe' --script 'C:\uninstall.txt' -- "$uninstaller" </dev/null | iconv -f CP1252 -t UTF-8
    shell_back
    for shot in dexal-question dexal-done; do
        [ -f "$prefix/drive_c/$shot.bmp" ] && convert "$prefix/drive_c/$shot.bmp" "$shots/$shot.png"
    done
    echo
    echo "== After the uninstallation"
    [ -e "$prefix/drive_c/DemoMB" ] && echo "C:\DemoMB is still there" || echo "C:\DemoMB: gone"
    [ -n "$group" ] && { [ -e "$group" ] && echo "program group: still there" || echo "program group: gone"; }
    for key in 'HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria' "$uninstall_key"; do
        wine reg query "$key" >/dev/null 2>&1 && echo "$key: still there" || echo "$key: gone"
    done
    echo "WININIT.INI:"
    find "$prefix/drive_c/windows" -maxdepth 1 -iname wininit.ini -exec sed 's/^/    /' {} \;
    wine wineboot -r </dev/null >/dev/null 2>&1 || true
    wineserver -k || true
    display_stop
    if [ -n "$(find "$prefix/drive_c/windows" -maxdepth 1 -iname dexal.exe)" ]; then
        echo "after the next start of Windows: Dexal.EXE is still there"
    else
        echo "after the next start of Windows: Dexal.EXE is gone"
    fi
fi
if compgen -G "$shots/*.png" >/dev/null; then
    echo
    echo "== Screenshots"
    ls -1 "$shots"/*.png
fi
