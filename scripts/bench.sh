#!/usr/bin/env bash
# Start-up and memory benchmark. Each program is held against a floor: a minimal program of our
# own (tools/bench) or a well-known viewer that puts the same thing on the screen. Both sides of
# a pair run in turn, repetition after repetition (the order swapping each time), and the
# medians and the median of the per-repetition ratios are printed: this machine is shared, so
# only the ratios mean much.
#
#   bash scripts/bench.sh [runs]     default 5 repetitions (three times as many for the help
#                                    panel starts); `bash scripts/bench.sh 1` is a quick check
#                                    that every pair runs end to end
#   CORVANE_BENCH_ONLY=REGEX         runs only the pairs whose name matches (e.g. 'help panel, Wine')
#
# Pairs:
#   picture      Corvane.exe under Wine showing a saved 6000x4000 colour JPEG, against
#                wic_picture_floor.exe (WIC straight into a DIB section, top-most popup)
#   help panel   Corvane.exe under Wine with default settings, against popup_floor.exe (a
#                top-most popup of the panel's size painted the panel's ground colour)
#   native       build/linux/corvane (when the linux preset exists) showing the same JPEG,
#                against `feh --borderless`; its help panel against gtk_window_floor, as a start
#                with fontconfig's answers kept and as a first start, without them
#   pins         each program: a 300x250 advert opened as a new pin by a second start
#                (`Corvane.exe advert.png` while Corvane runs), against a first start showing
#                the same advert; and ten pins of it (ten paths on the command line) against
#                one, for memory: the ten may take at most one pin's peak plus ten times the
#                advert's pixels and 512 KiB
#   animation    each program starting on a saved 2000x2000 GIF of 200 frames (two pictures in
#                turn, 40 ms each), against the same program starting on a still 2000x2000 PNG
#                of its first frame: the animation may take 1.10 times the still's time, and
#                1.10 times its memory plus the animation's stated budget, two canvases more
#                (2 x 16 MB: the area a frame restores, and the frame being decoded); and, under
#                Wine, the animation against wic_picture_floor.exe showing the GIF's first frame,
#                which tells what Wine's GIF decoder takes by itself
# A memory target written "1.10+32" means at most 1.10 times the floor's median plus 32 MiB.
# Time: from the program's start to the moment the X screen shows the expected colours at
# sample points inside the window (tools/bench/first_pixel.cpp); a window merely mapped does not
# count; the CPU time the program's process had used by then is printed too, as it suffers less
# from the machine's load. Memory: the peak resident set (VmHWM) of the process that drew the window, read once it
# has gone idle after the first paint; under Wine that is the wine-preloader process running the
# exe (the shared wineserver and the X server are not counted, for either side).
#
# Everything runs on a private 1280x1024 Xvfb. The Wine pairs run without a window manager and
# with Wine's unmanaged windows, as the tests do; the native pairs under openbox, as a Linux
# desktop has one (CORVANE_BENCH_NATIVE_WM=none runs them without). The WIC floor keeps the
# JPEG's 24-bit rows as they come; CORVANE_BENCH_FLOOR_BITS=32 has it convert them to 32 bits
# BGR instead, as a program drawing every picture from 32-bit pixels does.
set -euo pipefail
# A Wine prefix of its own: Corvane runs once per Wine session, so a Corvane started by run.sh or
# by a test would otherwise be the instance the measured one hands over to.
: "${CORVANE_WINEPREFIX:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine/prefix-bench}"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if corvane_wants_help "$@"; then
  corvane_usage "${BASH_SOURCE[0]}"
  exit 0
fi
exec </dev/null

runs=${1:-5}
[[ $runs =~ ^[1-9][0-9]*$ ]] || corvane_die "usage: bash scripts/bench.sh [runs]"
# The help panel starts take well under a second a run, yet scatter most: on this shared machine
# one repetition's ratio ranges from 0.8 to 1.5 as both sides swing together between a fast and a
# slow mode, so that the median of 21 moves by several hundredths from one run to the next. They
# run three times as often.
short_runs=$((runs * 3))
native_wm=${CORVANE_BENCH_NATIVE_WM:-openbox}
floor_bits=${CORVANE_BENCH_FLOOR_BITS:-24}
floor_option=()
case $floor_bits in
  24) ;;
  32) floor_option=(32) ;;
  *) corvane_die "CORVANE_BENCH_FLOOR_BITS is 24 or 32" ;;
esac

bash "$CORVANE_ROOT/scripts/setup.sh"
corvane_build_preset windows
(cd "$CORVANE_ROOT" && cmake --preset native >/dev/null &&
  cmake --build --preset native --target first_pixel $(pkg-config --exists gtk+-3.0 && echo gtk_window_floor)) ||
  corvane_die "building the benchmark's native programs failed"
linux_corvane=$CORVANE_ROOT/build/linux/corvane
if (cd "$CORVANE_ROOT" && cmake --list-presets 2>/dev/null | grep -q '"linux"'); then
  corvane_build_preset linux
fi

windows_build=$CORVANE_ROOT/build/windows
native_build=$CORVANE_ROOT/build/native
first_pixel=$native_build/bench/first_pixel
commit=$(git -C "$CORVANE_ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$CORVANE_ROOT" diff --quiet HEAD 2>/dev/null || commit="$commit+changes"

# The picture: 6000x4000 with noise over a gradient, about 11 MB, so that the decoder has real
# work. Every channel at full resolution: decoders then differ by a step or two at most, and the
# colours ImageMagick reads are the colours a correct window shows.
picture=$CORVANE_ROOT/build/bench/noise-6000x4000.jpg
if [[ ! -s $picture ]]; then
  mkdir -p "$(dirname "$picture")"
  convert -seed 9 -size 6000x4000 gradient:navy-gold -attenuate 0.45 +noise Gaussian \
    -sampling-factor 1x1 -quality 90 "$picture.tmp.jpg"
  mv "$picture.tmp.jpg" "$picture"
fi
picture_windows_path="Z:${picture//\//\\}"

work=$(mktemp -d)
openbox_pid=
cleanup() {
  [[ -n $openbox_pid ]] && { kill "$openbox_pid" 2>/dev/null; wait "$openbox_pid" 2>/dev/null; } || true
  corvane_stop_wineserver
  corvane_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
corvane_start_xvfb
corvane_prepare_prefix
corvane_start_wineserver
[[ " ${CORVANE_WINESERVERS_STARTED[*]} " == *" $WINEPREFIX "* ]] ||
  corvane_die "another Wine session runs in $WINEPREFIX (a benchmark already running?)"
# The pointer stays off every window, so that no tooltip covers a sample point.
xdotool mousemove 0 0

cp "$windows_build/Corvane.exe" "$windows_build/bench/wic_picture_floor.exe" \
  "$windows_build/bench/popup_floor.exe" "$work/"

# --- sample points -----------------------------------------------------------------------------

# The picture window's place: 1500 twips, 100 pixels at 96 DPI, from the screen's corner; the
# screen shows its first 1180x924 pixels. The points avoid the link label in the top left corner.
picture_left=100
picture_top=100
picture_points=(200,40 1000,60 600,300 60,500 1100,480 640,620 350,820 900,880)
format=
for p in "${picture_points[@]}"; do format+="%[hex:p{$p}] "; done
read -r -a picture_colours <<<"$(convert "$picture" -format "$format" info:)"
# first_pixel's --point options: LEFT TOP (the window's place), then one colour per point of the
# array named $1.
point_options() {
  local -n offsets=$1
  local left=$2 top=$3 i
  local colours=("${@:4}")
  for i in "${!offsets[@]}"; do
    printf -- '--point\n%s,%s,%s\n' "$((left + ${offsets[i]%,*}))" "$((top + ${offsets[i]#*,}))" "${colours[i]}"
  done
}
mapfile -t picture_check < <(point_options picture_points "$picture_left" "$picture_top" "${picture_colours[@]}")

# The animation: 200 frames of 2000x2000, two pictures in turn (the second the first with a
# square at 700..850 x 650..800, where no sample point lies), 40 ms each, for ever; and its first
# frame as a still PNG. Sixteen colours without dithering keep every frame's colours exact.
animation=$CORVANE_ROOT/build/bench/animation-2000x2000x200.gif
animation_still=$CORVANE_ROOT/build/bench/animation-still-2000x2000.png
if [[ ! -s $animation || ! -s $animation_still ]]; then
  mkdir -p "$(dirname "$animation")"
  convert -seed 3 -size 2000x2000 plasma:navy-gold +dither -colors 16 "$animation_still.tmp.png"
  convert "$animation_still.tmp.png" \( +clone -fill black -draw "rectangle 700,650 850,800" \) \
    -set delay 4 -loop 0 "$animation.two.gif"
  perl "$CORVANE_ROOT/tests/fixtures/repeat_gif_frames.pl" "$animation.two.gif" 200 "$animation.tmp.gif"
  convert "$animation.two.gif[0]" "$animation_still.tmp.png"
  mv "$animation.tmp.gif" "$animation"
  mv "$animation_still.tmp.png" "$animation_still"
  rm -f "$animation.two.gif"
fi
animation_points=(200,40 1000,60 600,300 60,500 1100,480 640,620 350,820 900,880)
format=
for p in "${animation_points[@]}"; do format+="%[hex:p{$p}] "; done
read -r -a animation_colours <<<"$(convert "$animation_still" -format "$format" info:)"
mapfile -t animation_check < <(point_options animation_points "$picture_left" "$picture_top" "${animation_colours[@]}")

# The help panel's ground, where no label lies, at 96 DPI (464x343 pixels).
help_size=(464 343)
help_ground=00C000
help_points=(20,50 440,120 30,320 450,335 230,330 8,150)

# --- measuring ---------------------------------------------------------------------------------

# Runs first_pixel with the arguments after $1; appends "wall-ms cpu-ms peak-KiB" to the file
# named $1.
measure() {
  local out=$1 line
  shift
  # A shared, loaded machine fails a run now and then (a connection refused, a start that takes
  # a minute): one more try before giving up.
  if ! line=$("$@") && ! { corvane_log "a run failed, trying once more: ${*: -4}"; line=$("$@"); }; then
    corvane_die "a run failed twice: ${*: -4}"
  fi
  [[ $line =~ first_pixel_ms=([0-9.]+)\ cpu_ms=([0-9]+)\ peak_kib=([0-9]+) ]] ||
    corvane_die "unexpected output: $line"
  printf '%s %s %s\n' "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" >>"$out"
}

# Runs the command in the array named $2 (after the function before_$2, if there is one).
run() {
  declare -F "before_$2" >/dev/null && "before_$2"
  local -n command=$2
  measure "$1" "${command[@]}"
}

# Runs the two commands held in the arrays named $2 and $3 in turn, $5 times (default $runs)
# after a warm-up run each (not counted: the first start of a program fills caches), and adds a
# row to each table. $4 holds the targets for the time and the memory ratio ("-": none). Each run's figures
# are kept in build/bench/<array name>.times (a line as measure writes it).
results=()
cpu_results=()
pair() {
  local name=$1 a=$2 b=$3 targets=$4 repetitions=${5:-$runs} i start
  [[ -z ${CORVANE_BENCH_ONLY:-} || $name =~ $CORVANE_BENCH_ONLY ]] || return 0
  start=$(corvane_now)
  rm -f "$work/$a.times" "$work/$b.times"
  run /dev/null "$a"
  run /dev/null "$b"
  for ((i = 0; i < repetitions; i++)); do
    if ((i % 2 == 0)); then
      run "$work/$a.times" "$a"
      run "$work/$b.times" "$b"
    else
      run "$work/$b.times" "$b"
      run "$work/$a.times" "$a"
    fi
  done
  local rows
  rows=$(paste -d' ' "$work/$a.times" "$work/$b.times" | awk -v name="$name" -v targets="$targets" '
    function median(v, n,   i, j, t) {
      for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    function bound(target) { return target == "-" ? "-" : "<=" target }
    # "1.10+32": 1.10 times the floor and 32 MiB more, as a ratio to the floor of median `floor` MiB.
    function limit(target, floor,   parts) {
      if (split(target, parts, "+") == 2) return parts[1] + parts[2] / floor
      return target
    }
    function verdict(ratio, target, floor) { return target == "-" ? "" : ratio <= limit(target, floor) ? "met" : "MISS" }
    {
      pt[NR] = $1; pc[NR] = $2; pm[NR] = $3 / 1024; ft[NR] = $4; fc[NR] = $5; fm[NR] = $6 / 1024
      rt[NR] = $1 / $4; rc[NR] = $5 > 0 ? $2 / $5 : 0; rm[NR] = $3 / $6
      if (NR == 1 || $1 < bp) bp = $1
      if (NR == 1 || $4 < bf) bf = $4
    }
    END {
      split(targets, t, " ")
      r = median(rt, NR); s = median(rm, NR)
      mf = median(fm, NR)
      printf "%-32s %7.0f %7.0f %6.2f %6.2f  %-6s %-4s | %6.1f %6.1f %6.2f  %-6s %s\n", name, median(pt, NR),
        median(ft, NR), r, bp / bf, bound(t[1]), verdict(r, t[1]), median(pm, NR), mf, s, bound(t[2]),
        verdict(s, t[2], mf)
      printf "%-32s %7.0f %7.0f %6.2f\n", name, median(pc, NR), median(fc, NR), median(rc, NR)
    }')
  results+=("$(sed -n 1p <<<"$rows")")
  cpu_results+=("$(sed -n 2p <<<"$rows")")
  cp "$work/$a.times" "$work/$b.times" "$CORVANE_ROOT/build/bench/"
  corvane_log "$name: done in $(corvane_elapsed "$start")"
}

# Starts the program in the directory $1 without a settings file (arguments after $1), waits
# for its help panel, ends it and prints the panel's place on the screen as LEFT TOP. Only a
# viewable window counts: before it shows, a window may still sit where it was made. A start
# that ends at once (the instance of the run before not yet gone for Wine) is made again.
help_panel_place() {
  local directory=$1 pid info deadline=$((SECONDS + 60))
  shift
  rm -f "$directory/corvane.ini"
  (cd "$directory" && exec "$@") >/dev/null 2>&1 &
  pid=$!
  until info=$(xwininfo -name "Corvane Standard  v0.02" 2>/dev/null) && [[ $info == *IsViewable* ]]; do
    if ((SECONDS >= deadline)); then
      import -window root "$CORVANE_ROOT/build/bench/help-panel-missing.png" 2>/dev/null || true
      kill "$pid" 2>/dev/null || true
      corvane_die "the help panel of $* did not show (screen: build/bench/help-panel-missing.png)"
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      rm -f "$directory/corvane.ini"
      (cd "$directory" && exec "$@") >/dev/null 2>&1 &
      pid=$!
    fi
    sleep 0.05
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }' <<<"$info"
}

# --- the Wine pairs ----------------------------------------------------------------------------

wine_first_pixel=("$first_pixel" --directory "$work")

perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$picture_windows_path" >"$work/picture.ini"
# Corvane reads corvane.ini beside it; the same file serves every picture run.
cp "$work/picture.ini" "$work/corvane.ini"
wine_picture=("${wine_first_pixel[@]}" --process Corvane.exe "${picture_check[@]}" -- wine Corvane.exe)
wine_picture_floor=("${wine_first_pixel[@]}" --process wic_picture_floor.exe "${picture_check[@]}" --
  wine wic_picture_floor.exe "$picture_windows_path" "$picture_left" "$picture_top" "${floor_option[@]}")
pair "picture 6000x4000 JPEG, Wine" wine_picture wine_picture_floor "1.10 1.10"

# The animation against its still first frame, each from a folder of its own with a record
# naming its picture; and against WIC's decoder alone showing the GIF's first frame.
if [[ -z ${CORVANE_BENCH_ONLY:-} || "animation 2000x2000x200 GIF, Wine GIF decoder alone, Wine" =~ $CORVANE_BENCH_ONLY ]]; then
  for kind in animation still; do
    mkdir -p "$work/$kind"
    cp "$windows_build/Corvane.exe" "$work/$kind/"
  done
  animation_windows_path="Z:${animation//\//\\}"
  still_windows_path="Z:${animation_still//\//\\}"
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$animation_windows_path" \
    >"$work/animation/corvane.ini"
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$still_windows_path" >"$work/still/corvane.ini"
  wine_animation=("$first_pixel" --directory "$work/animation" --process Corvane.exe "${animation_check[@]}" --
    wine Corvane.exe)
  wine_still=("$first_pixel" --directory "$work/still" --process Corvane.exe "${animation_check[@]}" -- wine Corvane.exe)
  pair "animation 2000x2000x200 GIF, Wine" wine_animation wine_still "1.10 1.10+32"
  wine_gif_floor=("${wine_first_pixel[@]}" --process wic_picture_floor.exe "${animation_check[@]}" --
    wine wic_picture_floor.exe "$animation_windows_path" "$picture_left" "$picture_top")
  pair "GIF decoder alone, Wine" wine_animation wine_gif_floor "- -"
fi

# Without corvane.ini Corvane starts on the help panel at its default place, and writes the
# file: each run starts without it.
place=$(help_panel_place "$work" wine Corvane.exe)
read -r help_left help_top <<<"$place"
colours=()
for p in "${help_points[@]}"; do colours+=("$help_ground"); done
mapfile -t help_check < <(point_options help_points "$help_left" "$help_top" "${colours[@]}")
wine_help=("${wine_first_pixel[@]}" --process Corvane.exe "${help_check[@]}" -- wine Corvane.exe)
before_wine_help() { rm -f "$work/corvane.ini"; }
wine_help_floor=("${wine_first_pixel[@]}" --process popup_floor.exe "${help_check[@]}" --
  wine popup_floor.exe "$help_left" "$help_top" "${help_size[@]}" "$help_ground")
pair "help panel, Wine" wine_help wine_help_floor "1.10 -" "$short_runs"

# --- pins ----------------------------------------------------------------------------------

# The advert: 300x250 in one colour, so that any sample point inside it knows what to expect.
advert=$CORVANE_ROOT/build/bench/advert-300x250.png
[[ -s $advert ]] || convert -size 300x250 xc:'#3366CC' "$advert"
advert_points=(150,125 20,20 280,230 40,220 260,30)
advert_colours=()
for p in "${advert_points[@]}"; do advert_colours+=(3366CC); done
# The most the ten pins may take beyond one, in KiB: ten times the advert's 32-bit pixels and 512 KiB.
ten_pins_allowance=$((10 * (300 * 250 * 4 / 1024 + 512)))
pins_notes=()

# A running Corvane ($1: its folder, then its command) showing its help panel, for a second start
# to hand over to; its pid in running_pid. Any Corvane of an earlier run has gone first.
running_pid=
start_running() {
  local directory=$1 deadline=$((SECONDS + 60)) info
  shift
  stop_running
  rm -f "$directory/corvane.ini"
  (cd "$directory" && exec "$@") >/dev/null 2>&1 &
  running_pid=$!
  until info=$(xwininfo -name "Corvane Standard  v0.02" 2>/dev/null) && [[ $info == *IsViewable* ]]; do
    ((SECONDS < deadline)) || corvane_die "the running Corvane for the second starts did not show"
    if ! kill -0 "$running_pid" 2>/dev/null; then
      (cd "$directory" && exec "$@") >/dev/null 2>&1 &
      running_pid=$!
    fi
    sleep 0.05
  done
}
stop_running() {
  [[ -n $running_pid ]] || return 0
  kill "$running_pid" 2>/dev/null || true
  wait "$running_pid" 2>/dev/null || true
  running_pid=
  # Until the single-instance mark is gone, a start would hand over to nobody and end.
  local deadline=$((SECONDS + 10))
  while pgrep -f 'Corvane.exe|/corvane( |$)' >/dev/null && ((SECONDS < deadline)); do sleep 0.05; done
}

# The pins pairs for one program: $1 a label, $2 its folder (holding the program and the advert),
# $3 the help panel's place "LEFT TOP", $4 the --process option's value ("" for none), then the
# command that starts the program.
pins_pairs() {
  local label=$1 directory=$2 place=$3 process=$4 left top
  shift 4
  read -r left top <<<"$place"
  pins_command=("$@")
  local measure_process=()
  [[ -n $process ]] && measure_process=(--process "$process")
  cp "$advert" "$directory/advert.png"
  mapfile -t first_check < <(point_options advert_points "$left" "$top" "${advert_colours[@]}")
  mapfile -t second_check < <(point_options advert_points "$((left + 24))" "$((top + 24))" "${advert_colours[@]}")
  mapfile -t tenth_check < <(point_options advert_points "$((left + 9 * 24))" "$((top + 9 * 24))" "${advert_colours[@]}")

  pin_second_start=("$first_pixel" --hands-over --directory "$directory" "${second_check[@]}" --
    "${pins_command[@]}" advert.png)
  before_pin_second_start() { start_running "$directory" "${pins_command[@]}"; }
  pin_first_start=("$first_pixel" --directory "$directory" "${measure_process[@]}" "${first_check[@]}" --
    "${pins_command[@]}" advert.png)
  before_pin_first_start() {
    stop_running
    rm -f "$directory/corvane.ini"
  }
  pair "pin by a second start, $label" pin_second_start pin_first_start "1.00 -"
  stop_running

  local ten=()
  for ((i = 0; i < 10; i++)); do ten+=(advert.png); done
  ten_pins=("$first_pixel" --directory "$directory" "${measure_process[@]}" "${tenth_check[@]}" --
    "${pins_command[@]}" "${ten[@]}")
  before_ten_pins() { rm -f "$directory/corvane.ini"; }
  one_pin=("${pin_first_start[@]}")
  before_one_pin() { rm -f "$directory/corvane.ini"; }
  pair "ten pins against one, $label" ten_pins one_pin "- -"
  if [[ -s $work/ten_pins.times && -s $work/one_pin.times ]]; then
    pins_notes+=("$(paste -d' ' "$work/ten_pins.times" "$work/one_pin.times" | awk -v label="$label" \
      -v allowance="$ten_pins_allowance" '
      function median(v, n,   i, j, t) {
        for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
      }
      { d[NR] = $3 - $6 }
      END {
        m = median(d, NR)
        printf "ten pins, %s: %.1f MiB more than one pin; at most %.1f MiB: %s\n", label, m / 1024, allowance / 1024,
          m <= allowance ? "met" : "MISS"
      }')")
  fi
}

if [[ -z ${CORVANE_BENCH_ONLY:-} || "pin by a second start, Wine ten pins against one, Wine" =~ $CORVANE_BENCH_ONLY ]]; then
  mkdir "$work/pins"
  cp "$windows_build/Corvane.exe" "$work/pins/"
  pins_pairs Wine "$work/pins" "$help_left $help_top" Corvane.exe wine Corvane.exe
fi

# --- the native pairs --------------------------------------------------------------------------

native_note=
if [[ ! -x $linux_corvane ]]; then
  native_note="native pairs skipped: no native build at build/linux/corvane (cmake --preset linux)"
elif [[ ! -x $native_build/bench/gtk_window_floor ]]; then
  native_note="native pairs skipped: gtk_window_floor was not built (GTK 3 development files missing)"
elif ! command -v feh >/dev/null; then
  native_note="native pairs skipped: feh is not installed (apt-get install feh)"
elif [[ $native_wm == openbox ]] && ! command -v openbox >/dev/null; then
  native_note="native pairs skipped: openbox is not installed (or set CORVANE_BENCH_NATIVE_WM=none)"
else
  corvane_stop_wineserver
  export XDG_RUNTIME_DIR=$work/runtime XDG_CACHE_HOME=$work/cache
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  if [[ $native_wm == openbox ]]; then
    openbox --sm-disable >/dev/null 2>&1 &
    openbox_pid=$!
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.05; done
  fi
  mkdir "$work/native"
  cp "$linux_corvane" "$work/native/"
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$picture" >"$work/native/picture.ini"
  cp "$work/native/picture.ini" "$work/native/corvane.ini"
  native_picture=("$first_pixel" --directory "$work/native" "${picture_check[@]}" -- ./corvane)
  feh_picture=("$first_pixel" --directory "$work/native" "${picture_check[@]}" --
    feh --borderless --geometry "+$picture_left+$picture_top" "$picture")
  pair "picture 6000x4000 JPEG, native" native_picture feh_picture "1.00 1.10"

  for kind in animation still; do
    mkdir -p "$work/native-$kind"
    cp "$linux_corvane" "$work/native-$kind/"
  done
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$animation" >"$work/native-animation/corvane.ini"
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$animation_still" >"$work/native-still/corvane.ini"
  native_animation=("$first_pixel" --directory "$work/native-animation" "${animation_check[@]}" -- ./corvane)
  native_still=("$first_pixel" --directory "$work/native-still" "${animation_check[@]}" -- ./corvane)
  pair "animation 2000x2000x200 GIF, native" native_animation native_still "1.10 1.10+32"

  place=$(help_panel_place "$work/native" ./corvane)
  read -r help_left help_top <<<"$place"
  mapfile -t help_check < <(point_options help_points "$help_left" "$help_top" "${colours[@]}")
  native_help=("$first_pixel" --directory "$work/native" "${help_check[@]}" -- ./corvane)
  before_native_help() { rm -f "$work/native/corvane.ini"; }
  gtk_help_floor=("$first_pixel" "${help_check[@]}" --
    "$native_build/bench/gtk_window_floor" "$help_left" "$help_top" "${help_size[@]}" "$help_ground")
  pair "help panel, native" native_help gtk_help_floor "1.10 -" "$short_runs"
  # The first start, or the first after the font configuration changed: no font answers are
  # kept yet, and fontconfig reads its configuration.
  native_help_first=("$first_pixel" --directory "$work/native" "${help_check[@]}" --
    env XDG_CACHE_HOME="$work/first-cache" ./corvane)
  before_native_help_first() { rm -f "$work/native/corvane.ini"; rm -rf "$work/first-cache"; }
  gtk_help_floor_first=("${gtk_help_floor[@]}")
  pair "help panel, native, first start" native_help_first gtk_help_floor_first "- -" "$short_runs"

  if [[ -z ${CORVANE_BENCH_ONLY:-} || "pin by a second start, native ten pins against one, native" =~ $CORVANE_BENCH_ONLY ]]; then
    mkdir "$work/native-pins"
    cp "$linux_corvane" "$work/native-pins/"
    pins_pairs native "$work/native-pins" "$help_left $help_top" "" ./corvane
  fi
fi

# --- the table ---------------------------------------------------------------------------------

printf '\nCorvane %s, %s repetitions per program in turn with its floor (%s for the help panel starts); medians\n' \
  "$commit" "$runs" "$short_runs"
printf '%-32s %-43s| %s\n' "" "start to first correct pixel (ms)" "peak resident memory (MiB)"
printf '%-32s %7s %7s %6s %6s  %-12s| %6s %6s %6s  %s\n' pair program floor ratio best target \
  program floor ratio target
printf '%s\n' "${results[@]}"
printf '\n%-32s %s\n' "" "CPU time of the process at its first correct pixel (ms)"
printf '%-32s %7s %7s %6s\n' pair program floor ratio
printf '%s\n' "${cpu_results[@]}"
printf '\nratio: median of program/floor over the repetitions; best: fastest program run over fastest floor run.\n'
printf '\nFloors: wic_picture_floor.exe (%s-bit DIB section), popup_floor.exe (Wine, no window manager);\n' \
  "$floor_bits"
printf '        feh --borderless, gtk_window_floor (native, %s).\n' \
  "$([[ $native_wm == openbox ]] && echo "under openbox" || echo "no window manager")"
[[ -z $native_note ]] || printf '%s\n' "$native_note"
((${#pins_notes[@]} == 0)) || printf '\n%s\n' "${pins_notes[@]}"
