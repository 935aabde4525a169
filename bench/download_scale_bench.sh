#!/usr/bin/env bash
# Download at scale: `quillmarch-cli download --from` against `wget -i` and `aria2c -i` on
# the same lists, fetched from nginx on 127.0.0.1 (a configuration of this script's own):
#   - N files of 4 KiB (default 50 000): time, and peak memory (max RSS) per link;
#   - N/5 links that all answer 404: the failure path (names released, errors, summary).
# Each tool that is missing is left out; without nginx or hyperfine the script skips.
#   bench/download_scale_bench.sh [BUILD_DIR]   (default: build)
# QM_BENCH_LINKS=N sets the number of files; QM_BENCH_OUT=FOLDER saves there (e.g. /dev/shm).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/nginx-site.sh
. bench/nginx-site.sh
build_dir=${1:-build}
cli="$PWD/$build_dir/quillmarch-cli"
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build_dir --target quillmarch-cli)" >&2; exit 1; }
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
for need in "$nginx_bin" hyperfine /usr/bin/time python3; do
  command -v "$need" >/dev/null || { echo "skipped: $need is not installed" >&2; exit 0; }
done
links=${QM_BENCH_LINKS:-50000}
missing_links=$((links / 5))

work=$(mktemp -d /tmp/qm-scale-bench.XXXXXX)
cleanup() {
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -rf "$work"
  [ -n "${out:-}" ] && [ "$out" != "$work/out" ] && rm -rf "$out"
  true
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www/small" "$work/logs" "$work/temp"
export XDG_CONFIG_HOME="$work/config"
out="$work/out"
[ -n "${QM_BENCH_OUT:-}" ] && out=$(mktemp -d "$QM_BENCH_OUT/qm-scale-out.XXXXXX")
mkdir -p "$out"

port=$(free_port)
write_nginx_conf "$work" "$port" application/octet-stream bin

# One 4 KiB file under many names (hard links): the server reads it from memory.
head -c 4096 /dev/urandom > "$work/www/small/f0.bin"
python3 - "$work" "$port" "$links" "$missing_links" <<'PY'
import os, sys
work, port, links, missing = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
with open(f"{work}/list.txt", "w") as out:
    for i in range(1, links + 1):
        os.link(f"{work}/www/small/f0.bin", f"{work}/www/small/f{i}.bin")
        out.write(f"http://127.0.0.1:{port}/small/f{i}.bin\n")
with open(f"{work}/missing.txt", "w") as out:
    for i in range(1, missing + 1):
        out.write(f"http://127.0.0.1:{port}/none/m{i}.bin\n")
os.remove(f"{work}/www/small/f0.bin")
PY

"$nginx_bin" -p "$work" -c "$work/nginx.conf"
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/small/f1.bin')" 2>/dev/null && break
  sleep 0.1
done

qm="$cli download --exists overwrite --dir $out --from"
commands=(-n quillmarch "$qm $work/list.txt")
missing_commands=(-n quillmarch "$qm $work/missing.txt")
if command -v wget >/dev/null; then
  commands+=(-n wget "wget -q -P $out -i $work/list.txt")
  missing_commands+=(-n wget "wget -q -P $out -i $work/missing.txt")
fi
if command -v aria2c >/dev/null; then
  # aria2c with its defaults (5 at once), its console summary off.
  commands+=(-n aria2c "aria2c -q --allow-overwrite=true --auto-file-renaming=false -d $out -i $work/list.txt")
  missing_commands+=(-n aria2c "aria2c -q -d $out -i $work/missing.txt")
fi
clear_out="find $out -mindepth 1 -delete"

echo "== $links files of 4 KiB"
hyperfine --runs 3 --ignore-failure --export-json "$work/files.json" --prepare "$clear_out" "${commands[@]}"
echo "== $missing_links links answering 404"
hyperfine --runs 3 --ignore-failure --export-json "$work/missing.json" --prepare "$clear_out" "${missing_commands[@]}"

# Peak memory for 1 000 links and for all of them: the growth per link.
peak_kib() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}'; }
head -n 1000 "$work/list.txt" > "$work/list1000.txt"
eval "$clear_out"
rss_small=$(peak_kib $qm "$work/list1000.txt")
eval "$clear_out"
rss_all=$(peak_kib $qm "$work/list.txt")
rss_wget=0
if command -v wget >/dev/null; then
  eval "$clear_out"
  rss_wget=$(peak_kib wget -q -P "$out" -i "$work/list.txt")
fi

python3 - "$work" "$links" "$missing_links" "$rss_small" "$rss_all" "$rss_wget" <<'PY'
import json, sys
work, links, missing = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rss_small, rss_all, rss_wget = int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
def means(name):
    return {r["command"]: r["mean"] for r in json.load(open(f"{work}/{name}.json"))["results"]}
print()
for title, name in ((f"{links} x 4 KiB", "files"), (f"{missing} x 404", "missing")):
    m = means(name)
    q = m["quillmarch"]
    others = ", ".join(f"{tool} {t:.2f} s (quillmarch/{tool} time ratio {q / t:.2f})"
                       for tool, t in m.items() if tool != "quillmarch")
    print(f"{title}: quillmarch {q:.2f} s; {others}")
per_link = (rss_all - rss_small) / (links - 1000)
print(f"peak RSS: quillmarch {rss_small / 1024:.1f} MiB for 1000 links, {rss_all / 1024:.1f} MiB "
      f"for {links}: {per_link:.2f} KiB a link (aim <= 1); wget {rss_wget / 1024:.1f} MiB")
PY
