#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window with a sample file loaded, one row
# edited whose edit lands in a comment, its mark's tooltip showing, a repeated
# text filled with Ctrl+Enter, four-digit counts, and a word found with the find
# box; under Xvfb.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default: build; run scripts/build.sh first)
# Needs the packages of: bash scripts/install-deps.sh --screenshot
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$repo/build}" && pwd)"
program="$build/app/zelvane"
output="$repo/docs/screenshot.png"
display=:99
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A sample file with Chinese and long literals; the program starts in its folder.
mkdir -p "$work/src"
cat > "$work/src/hello.cpp" <<'CPP'
#include <iostream>

// 显示欢迎信息，然后说明用法
int main()
{
    std::cout << "欢迎" << "使用字符串编辑器" << std::endl;
    std::cout << "请选择一个文件夹，然后双击其中的 .cpp 文件" << std::endl;
    std::cout << "This literal is much longer than the list is wide, so the list scrolls sideways to reach its very end" << std::endl;
    const char *title = "文件已保存";
    const char *error = "无法打开文件：%s";
    const char *ok = "OK";
    std::cout << title << error << ok << "\n" << "Done." << std::endl;
    return 0;
}
CPP
# Many rows: one text repeated, filled at once with Ctrl+Enter, and commented-out
# code whose literals are marked; the counts then run to four digits.
{
  echo "void wait() {"
  for i in $(seq 1100); do echo "    puts(\"请稍候\");"; done
  for i in $(seq 1000); do echo "    // puts(\"旧的提示\");"; done
  echo "}"
} >> "$work/src/hello.cpp"
cat > "$work/src/world.cpp" <<'CPP'
int world() { return 0; }
CPP

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

(cd "$work/src" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$program") >"$work/zelvane.log" 2>&1 &
pids+=($!)

# The notice shows for three seconds; then the main window appears.
window=""
for _ in $(seq 100); do
  window="$(DISPLAY=$display xdotool search --onlyvisible --name '^Zelvane$' 2>/dev/null | head -n1 || true)"
  if [ -n "$window" ] && [ "$(DISPLAY=$display xwininfo -id "$window" | awk '/Width:/ {print $2}')" = 897 ]; then
    break
  fi
  window=""
  sleep 0.2
done
[ -n "$window" ] || { echo "the main window did not appear" >&2; cat "$work/zelvane.log" >&2; exit 1; }
# Against the screen's right edge, so that a tooltip shown near it is moved
# left, into the window's picture.
DISPLAY=$display xdotool windowmove "$window" 370 60
sleep 0.5

# Double-click the first file of File1: Frame1 (8, 4) + File1 (8, 260) + the first row.
DISPLAY=$display xdotool mousemove --window "$window" 60 276 click --repeat 2 --delay 100 1
sleep 1.5
# Row 0 is in the edit box: translate it. Its text also stands in the comment
# above, where the edit will land, so the row gets a mark.
DISPLAY=$display xdotool type --delay 50 "Welcome"
DISPLAY=$display xdotool key Return
sleep 1
# The repeated text: found, then filled into all its rows with Ctrl+Enter.
DISPLAY=$display xdotool key ctrl+f
DISPLAY=$display xdotool type --delay 50 "请稍候"
DISPLAY=$display xdotool key Escape
DISPLAY=$display xdotool type --delay 50 "Please wait"
DISPLAY=$display xdotool key ctrl+Return
sleep 1
DISPLAY=$display xdotool key Right
# Find a row with the find box: Ctrl+F, then a word.
DISPLAY=$display xdotool key ctrl+f
DISPLAY=$display xdotool type --delay 50 "done"
sleep 1
# Rest the pointer on the marked row of List2 (Frame2 (256, 4) + List2 (324, 72)
# + the first row) until its tooltip shows.
DISPLAY=$display xdotool mousemove --window "$window" 640 88
sleep 2.5

# The window with its frame, as the window manager draws it.
read -r x y < <(DISPLAY=$display xwininfo -id "$window" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x, y}')
extents="$(DISPLAY=$display xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')"
IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
mkdir -p "$(dirname "$output")"
DISPLAY=$display import -window root "$work/full.png"
convert "$work/full.png" -crop "$((897 + left + right))x$((593 + top + bottom))+$((x - left))+$((y - top))" +repage "$output"
echo "wrote $output"
