#!/usr/bin/env bash
# Download benchmark: `quillmarch-cli download` against curl and wget, both fetching from
# nginx on 127.0.0.1 with a configuration of this script's own (started and stopped here):
#   - one 1 GiB file against `curl -o`: throughput ratio and peak memory (RSS);
#   - 1000 files of 4 KiB against `wget -q -i`: rate ratio;
#   - ten 256 KiB files from a Python server that gives each connection about 100 KB/s:
#     --jobs 5 --per-host 5 against `aria2c -j5`, the command line's defaults against `wget -i`.
# QM_BENCH_SKIP_BIG=1 leaves out the 1 GiB case.
#   bench/download_bench.sh [BUILD_DIR]   (default: build)
# QM_BENCH_OUT=FOLDER saves the files there instead (e.g. /dev/shm, to leave the disk out).
# Installs nginx-light, hyperfine and wget when missing (benchmark only). Everything lives
# in one folder under /tmp that is removed at the end, the 1 GiB file included.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/nginx-site.sh
. bench/nginx-site.sh
build_dir=${1:-build}
cli="$PWD/$build_dir/quillmarch-cli"
[ -x "$cli" ] || { echo "build $cli first (cmake --build $build_dir --target quillmarch-cli)" >&2; exit 1; }

missing=()
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || missing+=(nginx-light)
command -v hyperfine >/dev/null || missing+=(hyperfine)
command -v wget >/dev/null || missing+=(wget)
command -v curl >/dev/null || missing+=(curl)
command -v aria2c >/dev/null || missing+=(aria2)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

work=$(mktemp -d /tmp/qm-download-bench.XXXXXX)
out=
cleanup() {
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  [ -n "${slow_pid:-}" ] && kill "$slow_pid" 2>/dev/null || true
  rm -rf "$work"
  [ -n "${QM_BENCH_OUT:-}" ] && [ -n "${out:-}" ] && rm -rf "$out"
  true
}
trap cleanup EXIT
# nginx serves as its own unprivileged user when started as root.
chmod 755 "$work"
mkdir -p "$work/www/small" "$work/out" "$work/logs" "$work/temp"
export XDG_CONFIG_HOME="$work/config"

port=$(free_port)
write_nginx_conf "$work" "$port" application/octet-stream bin

# A sparse file: the server reads it from memory, so the clients are what is measured.
truncate -s 1G "$work/www/big.bin"
head -c 4096 /dev/urandom > "$work/small.tmpl"
for i in $(seq -w 1 1000); do
  cp "$work/small.tmpl" "$work/www/small/f$i.bin"
  echo "http://127.0.0.1:$port/small/f$i.bin"
done > "$work/list.txt"

"$nginx_bin" -p "$work" -c "$work/nginx.conf"
for _ in $(seq 50); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/small/f0001.bin" && break
  sleep 0.1
done

big="http://127.0.0.1:$port/big.bin"
out="$work/out"
[ -n "${QM_BENCH_OUT:-}" ] && out=$(mktemp -d "$QM_BENCH_OUT/qm-bench-out.XXXXXX")

if [ -z "${QM_BENCH_SKIP_BIG:-}" ]; then
  echo "== one 1 GiB file: quillmarch-cli download vs curl -o"
  hyperfine --warmup 1 --runs 3 --export-json "$work/big.json" \
    --prepare "rm -f $out/*" \
    -n curl "curl -sf -o $out/big.bin $big" \
    -n quillmarch "$cli download --exists overwrite --dir $out $big"

  peak_kib() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}'; }
  rm -f "$out"/*
  tiny_rss=$(peak_kib "$cli" download --exists overwrite --dir "$out" "http://127.0.0.1:$port/small/f0001.bin")
  rm -f "$out"/*
  big_rss=$(peak_kib "$cli" download --exists overwrite --dir "$out" "$big")
  rm -f "$out"/*
  curl_rss=$(peak_kib curl -s -o "$out/big.bin" "$big")
  rm -f "$out"/*
fi

echo "== 1000 files of 4 KiB: quillmarch-cli download --from vs wget -q -i"
hyperfine --warmup 1 --runs 5 --export-json "$work/small.json" \
  --prepare "rm -f $out/*" \
  -n wget "wget -q -P $out -i $work/list.txt" \
  -n quillmarch "$cli download --exists overwrite --dir $out --from $work/list.txt"

# Ten 256 KiB files, each connection held to about 100 KB/s.
mkdir -p "$work/slow"
for i in $(seq 0 9); do head -c 262144 /dev/urandom > "$work/slow/s$i.bin"; done
slow_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 - "$work/slow" "$slow_port" <<'PY' &
import http.server, os, sys, time
root, port = sys.argv[1], int(sys.argv[2])
class Slow(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def log_message(self, *args): pass
    def do_GET(self):
        path = os.path.join(root, os.path.basename(self.path))
        if not os.path.isfile(path):
            self.send_error(404); return
        data = open(path, "rb").read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        for i in range(0, len(data), 10000):  # 10 kB every 0.1 s
            self.wfile.write(data[i:i + 10000]); self.wfile.flush(); time.sleep(0.1)
http.server.ThreadingHTTPServer(("127.0.0.1", port), Slow).serve_forever()
PY
slow_pid=$!
for i in $(seq 0 9); do echo "http://127.0.0.1:$slow_port/s$i.bin"; done > "$work/slow.txt"
sleep 0.5
echo "== ten 256 KiB files at ~100 KB/s a connection"
hyperfine --runs 2 --export-json "$work/slow.json" \
  --prepare "rm -f $out/*" \
  -n aria2c-j5 "aria2c -q -j5 -x1 -d $out -i $work/slow.txt" \
  -n quillmarch-jobs5 "$cli download --jobs 5 --per-host 5 --exists overwrite --dir $out --from $work/slow.txt" \
  -n wget "wget -q -P $out -i $work/slow.txt" \
  -n quillmarch-defaults "$cli download --exists overwrite --dir $out --from $work/slow.txt"

python3 - "$work" "${tiny_rss:-0}" "${big_rss:-0}" "${curl_rss:-0}" <<'PY'
import json, os, sys
work, tiny, big, curl_rss = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
def means(name):
    return {r["command"]: r["mean"] for r in json.load(open(f"{work}/{name}.json"))["results"]}
s = means("small"); t = means("slow")
print()
print(f"throttled 10 x 256 KiB: aria2c -j5 {t['aria2c-j5']:.2f} s, quillmarch --jobs 5 "
      f"{t['quillmarch-jobs5']:.2f} s (aim <= aria2c); wget -i {t['wget']:.2f} s, quillmarch "
      f"defaults {t['quillmarch-defaults']:.2f} s, speed-up {t['wget'] / t['quillmarch-defaults']:.1f}x (aim >= 2)")
if not os.path.exists(f"{work}/big.json"):
    print(f"1000 x 4 KiB: wget {1000 / s['wget']:.0f} files/s, quillmarch {1000 / s['quillmarch']:.0f} files/s, "
          f"rate ratio quillmarch/wget = {s['wget'] / s['quillmarch']:.2f} (aim 1.2)")
    sys.exit()
b = means("big")
print(f"1 GiB: curl {1024 / b['curl']:.0f} MiB/s, quillmarch {1024 / b['quillmarch']:.0f} MiB/s, "
      f"throughput ratio quillmarch/curl = {b['curl'] / b['quillmarch']:.3f} (aim >= 0.95)")
print(f"peak RSS: quillmarch {big / 1024:.1f} MiB for 1 GiB, {tiny / 1024:.1f} MiB for 4 KiB "
      f"(growth {(big - tiny) / 1024:.1f} MiB, aim < 16); curl {curl_rss / 1024:.1f} MiB")
print(f"1000 x 4 KiB: wget {1000 / s['wget']:.0f} files/s, quillmarch {1000 / s['quillmarch']:.0f} files/s, "
      f"rate ratio quillmarch/wget = {s['wget'] / s['quillmarch']:.2f} (aim 1.2)")
PY
