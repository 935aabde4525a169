#!/usr/bin/env bash
# Picture benchmark: 1000 pictures of 20 KiB to 2 MiB from nginx on 127.0.0.1 (started and
# stopped here). Reports, from build/bench/picture_bench, the time to the first screen of
# thumbnails and until every size is known (from the first 64 KiB of each file), then
# `aria2c -j8` downloading the same pictures whole, and the memory of 10 000 entries.
#   bench/picture_bench.sh [BUILD_DIR]   (default: build)
# Needs nginx, aria2c and ImageMagick's convert (benchmark only).
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
cd "$(dirname "$0")/.."
# shellcheck source=bench/nginx-site.sh
. bench/nginx-site.sh
build_dir=${1:-build}
bench="$PWD/$build_dir/bench/picture_bench"
[ -x "$bench" ] || { echo "build $bench first (ninja -C $build_dir picture_bench)" >&2; exit 1; }
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

work=$(mktemp -d /tmp/qm-picture-bench.XXXXXX)
cleanup() {
  [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www/p" "$work/logs" "$work/temp" "$work/out"
port=$(free_port)
write_nginx_conf "$work" "$port" image/jpeg jpg

# Twenty noise pictures from about 20 KiB to 2 MiB, each under fifty names.
sizes=($(python3 -c 'print(" ".join("%dx%d" % (w, w * 3 // 4) for w in (int(180 * (1900 / 180) ** (i / 19)) for i in range(20))))'))
for i in "${!sizes[@]}"; do
  convert -size "${sizes[$i]}" xc:gray +noise Random -quality 92 "$work/t$i.jpg"
done
for n in $(seq -w 1 1000); do
  cp "$work/t$((10#$n % 20)).jpg" "$work/www/p/$n.jpg"
  echo "http://127.0.0.1:$port/p/$n.jpg"
done > "$work/list.txt"
echo "pictures: $(du -sh "$work/www/p" | cut -f1), smallest $(ls -S "$work"/t*.jpg | tail -1 | xargs stat -c %s) B, largest $(ls -S "$work"/t*.jpg | head -1 | xargs stat -c %s) B"

"$nginx_bin" -p "$work" -c "$work/nginx.conf"
sleep 0.5

echo "== quillmarch, empty cache"
"$bench" "$work/list.txt" "$work/cache"
echo "== quillmarch, the same list again (cache on disk)"
"$bench" "$work/list.txt" "$work/cache"
echo "== aria2c -j8, every picture whole"
start=$(date +%s%N)
aria2c -q -j8 -x1 --allow-overwrite=true -d "$work/out" -i "$work/list.txt"
echo "aria2c: $(( ($(date +%s%N) - start) / 1000000 )) ms"
