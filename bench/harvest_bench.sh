#!/usr/bin/env bash
# Page harvest benchmark: quillmarch-cli against lynx on generated pages served on
# 127.0.0.1: one with 30000 distinct links, one with 300 frames of 10 links each, and
# 100 pages of 300 links harvested in one run (lynx runs once per page there); and the
# media harvest (--media) of a page of 30000 images against the links harvest of the
# 30000 links (goal: at most 1.5 times its time); pages of 300 and 3000 videos (goal: the
# larger at most 12 times the smaller's time). These pages cannot change themselves, so
# they take the HTML parser's path (frames included); the --engine rows load the same
# pages in the engine.
#   bench/harvest_bench.sh [BUILD_DIR]   (default: build)
# RUNS sets the number of timed runs (default 10); ONLY=links|frames|pages|media|videos runs one case.
# Installs hyperfine and lynx when missing (benchmark only; not needed to build or test).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cli="$PWD/$build_dir/quillmarch-cli"
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build_dir --target quillmarch-cli)" >&2; exit 1; }

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
command -v lynx >/dev/null || missing+=(lynx)
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

site=$(mktemp -d)
config=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$site" "$config"
}
trap cleanup EXIT

python3 - "$site" <<'PY'
import sys, pathlib
root = pathlib.Path(sys.argv[1])
links = "\n".join(f'<a href="/item/{i}.html">link {i}</a><br>' for i in range(30000))
(root / "links.html").write_text(f"<html><body>{links}</body></html>")
images = "\n".join(f'<img src="/img/{i}.jpg" alt="image {i}"><br>' for i in range(30000))
(root / "images.html").write_text(f"<html><body>{images}</body></html>")
frames = "\n".join(f'<iframe src="/frame{i}.html" width="20" height="20"></iframe>' for i in range(300))
(root / "frames.html").write_text(f"<html><body>{frames}</body></html>")
for n in (300, 3000):
    videos = "\n".join(f'<video src="/v/{i}.mp4" poster="/v/{i}.jpg"></video>' for i in range(n))
    (root / f"videos{n}.html").write_text(f"<html><body>{videos}</body></html>")
for i in range(300):
    body = "".join(f'<a href="/f{i}/{j}.html">{j}</a>' for j in range(10))
    (root / f"frame{i}.html").write_text(f"<html><body>{body}</body></html>")
for i in range(100):
    body = "\n".join(f'<a href="/p{i}/{j}.html">{j}</a>' for j in range(300))
    (root / f"page{i}.html").write_text(f"<html><body>{body}</body></html>")
PY

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 50); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/links.html" && break
  sleep 0.1
done

links_url="http://127.0.0.1:$port/links.html"
images_url="http://127.0.0.1:$port/images.html"
frames_url="http://127.0.0.1:$port/frames.html"
for i in $(seq 0 99); do echo "http://127.0.0.1:$port/page$i.html"; done >"$site/pages.txt"
export XDG_CONFIG_HOME="$config"   # no stored filters
echo "quillmarch-cli: $("$cli" harvest "$links_url" | wc -l) links," \
     "$("$cli" harvest "$frames_url" | wc -l) frame links," \
     "$("$cli" harvest --from "$site/pages.txt" | wc -l) links from 100 pages," \
     "$("$cli" harvest --media "$images_url" | wc -l) images"
echo "load: $(uptime)"

only=${ONLY:-}
tables=()
if [ -z "$only" ] || [ "$only" = links ]; then
  hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$site/links.md" \
    -n "quillmarch-cli 30000 links" "$cli harvest $links_url" \
    -n "quillmarch-cli --engine 30000 links" "$cli harvest --engine $links_url" \
    -n "lynx 30000 links" "lynx -dump -listonly $links_url"
  tables+=("$site/links.md")
fi
if [ -z "$only" ] || [ "$only" = frames ]; then
  hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$site/frames.md" \
    -n "quillmarch-cli 300 frames" "$cli harvest $frames_url" \
    -n "quillmarch-cli --engine 300 frames" "$cli harvest --engine $frames_url" \
    -n "lynx 300 frames" "lynx -dump -listonly $frames_url"
  tables+=("$site/frames.md")
fi
if [ -z "$only" ] || [ "$only" = pages ]; then
  hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$site/pages.md" \
    -n "quillmarch-cli 100 pages" "$cli harvest --from $site/pages.txt" \
    -n "lynx 100 pages" "xargs -n 1 lynx -dump -listonly <$site/pages.txt"
  tables+=("$site/pages.md")
fi
if [ -z "$only" ] || [ "$only" = media ]; then
  hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$site/media.md" \
    -n "quillmarch-cli 30000 links" "$cli harvest $links_url" \
    -n "quillmarch-cli --media 30000 images" "$cli harvest --media $images_url" \
    -n "quillmarch-cli --engine --media 30000 images" "$cli harvest --engine --media $images_url"
  tables+=("$site/media.md")
fi
if [ -z "$only" ] || [ "$only" = videos ]; then
  hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$site/videos.md" \
    -n "quillmarch-cli --media 300 videos" "$cli harvest --media http://127.0.0.1:$port/videos300.html" \
    -n "quillmarch-cli --media 3000 videos" "$cli harvest --media http://127.0.0.1:$port/videos3000.html" \
    -n "quillmarch-cli --engine --media 300 videos" "$cli harvest --engine --media http://127.0.0.1:$port/videos300.html" \
    -n "quillmarch-cli --engine --media 3000 videos" "$cli harvest --engine --media http://127.0.0.1:$port/videos3000.html"
  tables+=("$site/videos.md")
fi
cat "${tables[@]}"
echo "load: $(uptime)"
