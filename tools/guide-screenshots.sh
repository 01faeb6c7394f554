#!/usr/bin/env bash
# Takes the screenshots of the user guide (docs/guide/*.png) from the real program: the editor
# runs on a virtual X server (Xvfb) and xdotool drives it with mouse and keys, as a user would.
# Each task of the guide is one function below, named task_NAME; run them all or only some:
#
#   bash tools/guide-screenshots.sh [TASK...]     e.g. tools/guide-screenshots.sh cropping
#
# The display number is :77 unless GUIDE_DISPLAY says otherwise; the build folder is build/.
# The screen is 1280 x 860 at pixel ratio 1, except where a task says otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${GUIDE_DISPLAY:-:77}
out=$root/docs/guide
tessary=$root/build/tessary
all_tasks=(placing_images cropping scaling texts mandelbrot publish saving dialog_ratios scrolling small_screen)

bash "$root/tools/deps.sh"
bash "$root/tools/build.sh" "$root/build" >/dev/null
mkdir -p "$out"
# A home of its own, whose pictures folder the file dialogs open in.
work=/tmp/tessary-guide-${display#:}
rm -rf "$work"
mkdir -p "$work/Pictures"
xvfb_pid=
wm_pid=
app_pid=
screen_size=

stop_display() {
    if [[ -n "$wm_pid" ]]; then kill "$wm_pid" 2>/dev/null || true; fi
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    wm_pid=
    xvfb_pid=
    screen_size=
}

cleanup() {
    if [[ -n "$app_pid" ]]; then kill "$app_pid" 2>/dev/null || true; fi
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT

# use_display SIZE [wm]: a virtual screen of the size (started anew when the size or the window
# manager changes), with openbox on it when asked.
use_display() {
    local size=$1 wm=${2:-}
    [[ "$screen_size" == "$size$wm" ]] && return 0
    stop_display
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 300); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool getdisplaygeometry >/dev/null 2>&1 && kill -0 "$xvfb_pid" 2>/dev/null \
        || { echo "Xvfb could not start on $display" >&2; exit 1; }
    if [[ -n "$wm" ]]; then
        openbox --sm-disable >/dev/null 2>&1 &
        wm_pid=$!
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.1
        done
    fi
    screen_size=$size$wm
}

# The same look on every machine: no desktop settings, a fixed style, Japanese as the program.
export QT_QPA_PLATFORMTHEME= QT_STYLE_OVERRIDE=Fusion LANG=C.UTF-8 LC_ALL=C.UTF-8 HOME=$work
# Each editor starts as the first one on the machine: no kept window size or page size.
export XDG_CONFIG_HOME=$work/config

# Three photographs to place: drawn here, so the pictures are the same every time.
make_photos() {
    convert -size 900x600 gradient:'#ffb347-#6a3093' -fill '#fff3b0' -draw 'circle 600,330 600,250' \
        -fill '#2d1b3d' -draw 'polygon 0,600 0,430 180,380 380,450 560,400 760,470 900,420 900,600' \
        "$HOME/Pictures/sunset.jpg"
    convert -size 900x600 gradient:'#87ceeb-#1e3f66' -fill white -draw 'polygon 420,120 420,420 250,420' \
        -fill '#f4f4f4' -draw 'polygon 440,160 440,420 580,420' -fill '#5a3a1a' \
        -draw 'polygon 230,430 600,430 560,480 270,480' -fill '#1e3f66' -draw 'rectangle 0,470 900,600' \
        "$HOME/Pictures/sea.jpg"
    convert -size 900x600 gradient:'#d8f3dc-#2d6a4f' -fill '#1b4332' -draw 'polygon 100,520 180,200 260,520' \
        -draw 'polygon 300,540 400,140 500,540' -draw 'polygon 560,520 650,230 740,520' -fill '#7f5539' \
        -draw 'rectangle 0,520 900,600' "$HOME/Pictures/forest.jpg"
}

# A note of one page with two photographs placed side by side, not fitted, to edit.
make_note() {
    local image_section='[TSImage]\r\nFileName=%s,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\nPos=L%d,T%d,W%d,H%d\r\n\r\n'
    {
        printf "$image_section" sunset.jpg 80 120 600 400
        printf "$image_section" sea.jpg 740 360 450 300
    } >"$HOME/Pictures/trip.tsy"
}

# A page with a Mandelbrot picture beside the sunset, and one with a caption over it.
make_feature_notes() {
    printf '[TSImage]\r\nFileName=sunset.jpg,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\nPos=L40,T130,W600,H400\r\n\r\n[Mandelbrot]\r\nPos=L680,T130,W560,H400\r\n\r\n' \
        >"$HOME/Pictures/mandelbrot.tsy"
    printf '[TSImage]\r\nFileName=sea.jpg,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\nPos=L40,T30,W1200,H800\r\n\r\n[Text]\r\nText=%s\r\nFont=64,IPAGothic\r\nColor=0xffffffff\r\nOption=Bold\r\nPos=L80,T60,W1100,H140\r\n\r\n' \
        "夏の海" >"$HOME/Pictures/caption.tsy"
}

# Waits until a visible window whose title matches the pattern exists; answers its id.
wait_window() {
    local title=$1 id
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1 || true)
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window '$title' appeared; the editor said:" >&2
    tail -5 "$work/editor.log" >&2
    return 1
}

# Waits until the screen stops changing (pictures decode and Mandelbrot sets render on
# worker threads, and a busy machine draws slowly).
settle() {
    local previous= current
    for _ in $(seq 60); do
        sleep 0.5
        current=$(import -window root rgb:- 2>/dev/null | md5sum)
        [[ "$current" == "$previous" ]] && return 0
        previous=$current
    done
}

# Starts the editor with the given arguments and waits for its window. Sets window, left and
# top (the window's position on the screen). The page is 1280 x 860 (GUIDE_PAGE="W H"; empty
# for the screen's own size), fitted to the window at first; the tasks show it at 50 %, the
# zoom box's entry below the fitted zoom (Ctrl+Left), unless GUIDE_ZOOM=fit.
start_editor() {
    # An editor that was stopped leaves its recovery copy, which the next one would offer.
    rm -rf "$HOME/.local/share/Tessary/recovery" "$XDG_CONFIG_HOME"
    if [[ -n "${GUIDE_PAGE-1280 860}" ]]; then
        mkdir -p "$XDG_CONFIG_HOME/Tessary"
        printf '[Page]\nSize=@Size(%s)\n' "${GUIDE_PAGE-1280 860}" >"$XDG_CONFIG_HOME/Tessary/Tessary.ini"
    fi
    (cd "$HOME" && exec "$tessary" "$@") >/dev/null 2>>"$work/editor.log" &
    app_pid=$!
    window=$(wait_window "Tessary by Veldran\$")
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    eval "$(xdotool getwindowgeometry --shell "$window" | sed 's/^X=/left=/; s/^Y=/top=/')"
    settle
    if [[ "${GUIDE_ZOOM:-}" != fit ]]; then
        xdotool key ctrl+Left
        settle
    fi
}

stop_editor() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
}

# The window position of a page point: the page of 1280 x 860 is shown at zoom 50 %, centred in
# the page view of 880 x 530 below the menu bar and the tool bar.
page_x() { echo $((120 + $1 / 2)); }
page_y() { echo $((139 + $1 / 2)); }

# Pointer actions at positions inside the editor window.
click_at() { xdotool mousemove $((left + $1)) $((top + $2)) click "${3:-1}"; }
# Presses the left button at one point and moves to another in steps, keeping it pressed.
press_and_move() {
    local x0=$((left + $1)) y0=$((top + $2)) x1=$((left + $3)) y1=$((top + $4)) step
    xdotool mousemove "$x0" "$y0" mousedown 1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((x0 + (x1 - x0) * step / 8)) $((y0 + (y1 - y0) * step / 8))
        sleep 0.05
    done
}
drag() {
    press_and_move "$@"
    xdotool mouseup 1
}

# Saves the editor window's area of the screen (with any dialog or menu over it) as NAME.png;
# a width wider than the window takes in a dialog that reaches out of it on the right.
shoot() {
    settle
    import -window root -crop "${2:-$WIDTH}x${HEIGHT}+${left}+${top}" +repage "$out/$1.png"
    echo "docs/guide/$1.png"
}

# Placing images: the open-image button and its dialog, then the image fitted to the page.
task_placing_images() {
    start_editor
    click_at 165 70 # 画像を開く
    wait_window "^開く\$" >/dev/null
    xdotool type --delay 20 sunset.jpg
    shoot place-open-dialog
    xdotool key Return
    shoot place-image
    stop_editor

    # Images named on the command line: one a page.
    start_editor "$HOME/Pictures/sunset.jpg" "$HOME/Pictures/sea.jpg" "$HOME/Pictures/forest.jpg"
    click_at 445 670 # 次のページ
    shoot place-pages
    stop_editor
}

# Saving the page as a picture: the save dialog offers the formats by extension.
task_saving() {
    start_editor "$HOME/Pictures/sunset.jpg"
    click_at 275 70 # 画像保存
    wait_window "^名前を付けて保存\$" >/dev/null
    xdotool key ctrl+a
    xdotool type --delay 20 sunset-page.jpg
    shoot save-page-dialog
    xdotool key Escape
    stop_editor
}

# Cropping: drag an edge of an image inward; Shift and drag cuts out a rectangle.
task_cropping() {
    start_editor "$HOME/Pictures/trip.tsy"
    xdotool key ctrl+l # a note opens locked
    drag "$(page_x 678)" "$(page_y 320)" "$(page_x 560)" "$(page_y 320)"
    shoot crop-edge
    xdotool keydown shift
    press_and_move "$(page_x 800)" "$(page_y 420)" "$(page_x 1100)" "$(page_y 620)"
    shoot crop-cutout-drag
    xdotool mouseup 1 keyup shift
    shoot crop-cutout
    stop_editor
}

# Scaling: drag a corner; the image keeps its proportions.
task_scaling() {
    start_editor "$HOME/Pictures/trip.tsy"
    xdotool key ctrl+l
    drag "$(page_x 1188)" "$(page_y 658)" "$(page_x 1000)" "$(page_y 540)"
    shoot scale-corner
    stop_editor
}

# Texts: a caption over a photograph; a double click opens its properties.
task_texts() {
    start_editor "$HOME/Pictures/caption.tsy"
    xdotool key ctrl+l
    shoot text-page
    xdotool mousemove $((left + $(page_x 400))) $((top + $(page_y 110))) click --repeat 2 --delay 80 1
    local dialog
    dialog=$(wait_window "^テキストプロパティ\$")
    # Wide enough for the dialog, which reaches out of the window on the right.
    eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/dialog_/')"
    shoot text-properties $((dialog_X + dialog_WIDTH > left + WIDTH ? dialog_X + dialog_WIDTH - left : WIDTH))
    xdotool key Escape
    stop_editor
}

# Mandelbrot: a Mandelbrot picture on the page; the wheel zooms into it.
task_mandelbrot() {
    start_editor "$HOME/Pictures/mandelbrot.tsy"
    xdotool key ctrl+l
    shoot mandelbrot-page
    # A click makes it the active item; a notch of the wheel zooms in at the pointer.
    click_at "$(page_x 1040)" "$(page_y 236)"
    xdotool click 4
    shoot mandelbrot-zoom
    # Its menu on the right button, and the properties dialog that recolours it, which opens
    # right of the pointer.
    click_at "$(page_x 700)" "$(page_y 300)" 3
    sleep 1
    xdotool key p
    wait_window "^マンデルブロ集合プロパティ\$" >/dev/null
    shoot mandelbrot-properties
    xdotool key Escape
    stop_editor
}

# Publish: the note and copies of its images into one folder.
task_publish() {
    start_editor "$HOME/Pictures/trip.tsy"
    xdotool key ctrl+p
    local dialog
    dialog=$(wait_window "^Tessary パブリッシュ\$")
    eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/dialog_/')"
    # The note file path box, at the dialog's top.
    xdotool mousemove $((dialog_X + 270)) $((dialog_Y + 20)) click 1
    xdotool type --delay 20 "$HOME/Published/trip.tsy"
    shoot publish-dialog
    # OK, left of the middle at the bottom.
    xdotool mousemove $((dialog_X + dialog_WIDTH * 2 / 5)) $((dialog_Y + dialog_HEIGHT - 20)) click 1
    settle
    stop_editor
    ls "$HOME/Published" "$HOME/Published/images" >&2
}

# The text properties dialog at pixel ratios 1 and 2: its captions whole at both. At ratio 2
# the screen is twice as large, so that the window, the page and the dialog are laid out as at
# ratio 1, in twice the pixels.
task_dialog_ratios() {
    local ratio dialog
    for ratio in 1 2; do
        use_display $((1280 * ratio))x$((860 * ratio))
        export QT_SCALE_FACTOR=$ratio
        start_editor "$HOME/Pictures/caption.tsy"
        xdotool key ctrl+l
        xdotool mousemove $((left + ratio * $(page_x 400))) $((top + ratio * $(page_y 110))) click --repeat 2 --delay 80 1
        dialog=$(wait_window "^テキストプロパティ\$")
        settle
        eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/dialog_/')"
        import -window root -crop "${dialog_WIDTH}x${dialog_HEIGHT}+${dialog_X}+${dialog_Y}" +repage \
            "$out/text-properties-ratio$ratio.png"
        echo "docs/guide/text-properties-ratio$ratio.png"
        xdotool key Escape
        stop_editor
        unset QT_SCALE_FACTOR
    done
}

# A page shown at 100 % is larger than the window: scroll bars show, and Space held with a drag
# moves the page (as the middle button does where no image is, and as the bars do); here it is
# moved until its bottom-right corner shows.
task_scrolling() {
    start_editor "$HOME/Pictures/trip.tsy"
    # From 50 % to 75, 90 and 100 %.
    xdotool key ctrl+Right ctrl+Right ctrl+Right
    settle
    xdotool keydown space
    press_and_move 800 560 300 160
    xdotool mouseup 1
    press_and_move 800 560 500 360
    xdotool mouseup 1 keyup space
    shoot scroll-corner
    stop_editor
}

# On a 1920 x 1080 screen at pixel ratio 2, which leaves the window 960 x 540, the new window
# fits whole with its frame, page bar and all, and shows a page of the screen's own size fitted
# to it.
task_small_screen() {
    use_display 1920x1080 wm
    export QT_SCALE_FACTOR=2 GUIDE_PAGE= GUIDE_ZOOM=fit
    start_editor "$HOME/Pictures/sunset.jpg"
    settle
    import -window root "$out/small-screen-ratio2.png"
    echo "docs/guide/small-screen-ratio2.png"
    stop_editor
    unset QT_SCALE_FACTOR GUIDE_PAGE GUIDE_ZOOM
}

make_photos
make_note
make_feature_notes
tasks=("$@")
[[ ${#tasks[@]} -gt 0 ]] || tasks=("${all_tasks[@]}")
for task in "${tasks[@]}"; do
    use_display 1280x860
    "task_$task"
done
