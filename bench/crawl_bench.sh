#!/usr/bin/env bash
# Site harvest benchmark, over python3 -m http.server on 127.0.0.1:
#  - the Debian Handbook (script-free pages) harvested whole from its English index with
#    --depth 1000 --scope path, against wget -r -l inf -np over the same site (goal: at
#    most 1.0 times wget's time, visiting the same pages);
#  - the Python library reference (pages with scripts, read in the engine) from its
#    index, at most MAX_PAGES pages (default 200): pages a second (goal: 20 or more).
#   bench/crawl_bench.sh [BUILD_DIR]   (default: build)
# RUNS sets the number of timed runs (default 5); ONLY=handbook|python runs one case.
# Installs hyperfine, wget, debian-handbook and python3-doc when missing (benchmark only;
# not needed to build or test).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cli="$PWD/$build_dir/quillmarch-cli"
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build_dir --target quillmarch-cli)" >&2; exit 1; }
runs=${RUNS:-5}
only=${ONLY:-}
max_pages=${MAX_PAGES:-200}

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
command -v wget >/dev/null || missing+=(wget)
[ -f /usr/share/doc/debian-handbook/html/en-US/index.html ] || missing+=(debian-handbook)
[ -f /usr/share/doc/python3-doc/html/library/index.html ] || missing+=(python3-doc)
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Serves a folder on a free port; sets base to its address.
serve() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server "$port" --bind 127.0.0.1 --directory "$1" >/dev/null 2>&1 &
  server_pid=$!
  base="http://127.0.0.1:$port"
  for _ in $(seq 50); do
    curl -fs -o /dev/null "$base/" && return
    sleep 0.1
  done
  echo "the server did not start" >&2
  exit 1
}

export XDG_CACHE_HOME="$work/cache" QUILLMARCH_NO_CONFIG=1 QT_QPA_PLATFORM=offscreen

# Pages visited by quillmarch-cli (from its summary line).
visited() {
  "$cli" harvest "$@" 2>&1 >/dev/null | sed -n 's/^quillmarch-cli: \([0-9]*\) pages visited.*/\1/p'
}

if [ -z "$only" ] || [ "$only" = handbook ]; then
  serve /usr/share/doc/debian-handbook/html
  start="$base/en-US/index.html"
  ours=$(visited "$start" --depth 1000 --scope path)
  rm -rf "$work/wget" && wget -r -l inf -np -q -P "$work/wget" "$start" || true
  theirs=$(find "$work/wget" -name '*.html' | wc -l)
  echo "Debian Handbook: quillmarch-cli visited $ours pages, wget saved $theirs pages"
  hyperfine --warmup 1 --runs "$runs" -i \
    -n quillmarch-cli "$cli harvest $start --depth 1000 --scope path" \
    -n wget "rm -rf $work/wget && wget -r -l inf -np -q -P $work/wget $start" \
    --prepare "rm -rf $work/wget $work/cache" 2>&1 | grep -v '^ *$' || true
fi

if [ -z "$only" ] || [ "$only" = python ]; then
  serve /usr/share/doc/python3-doc/html
  start="$base/library/index.html"
  begin=$(date +%s.%N)
  pages=$(visited "$start" --depth 1000 --scope path --max-pages "$max_pages")
  end=$(date +%s.%N)
  python3 -c "import sys; p, t = int(sys.argv[1]), float(sys.argv[3]) - float(sys.argv[2]); \
print(f'Python library reference: {p} pages in {t:.2f} s, {p / t:.1f} pages a second')" \
    "$pages" "$begin" "$end"
fi
