#!/bin/sh
# Prepares real metafiles for the playback comparison in DIR: a fixed sample of the drawings of
# Debian's clip-art package, written as WMF and EMF by the office suite's converter, and the
# suite's own rendering of every metafile as a PNG page. What is there already is kept, so the
# suite runs three times at most. Usage: real_metafiles.sh DIR; on failure the reason is on stderr.
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
# Test programs run side by side: one prepares, the others wait for it.
exec 9>"$dir/.lock"
flock 9

command -v soffice >/dev/null 2>&1 || { echo "soffice (the office suite, headless) is not installed" >&2; exit 1; }

if [ ! -d svg ]; then
  if ! ls openclipart-svg_*.deb >/dev/null 2>&1; then
    apt-get download openclipart-svg >fetch.log 2>&1 || {
      echo "apt-get download openclipart-svg failed: $(tail -n 1 fetch.log)" >&2
      exit 1
    }
  fi
  deb=$(ls openclipart-svg_*.deb | head -n 1)
  # Every 200th drawing under 60 KB, in name order.
  dpkg-deb -c "$deb" | awk '$1 ~ /^-/ && $6 ~ /\.svg$/ && $3 < 61440 { print $6 }' | LC_ALL=C sort |
    awk 'NR % 200 == 1' >sample.txt
  rm -rf x svg.tmp
  mkdir x svg.tmp
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C x -T sample.txt
  n=0
  while read -r f; do
    n=$((n + 1))
    cp "x/$f" "svg.tmp/$(printf %03d $n).svg"
  done <sample.txt
  rm -rf x "$deb"
  mv svg.tmp svg
fi

run() {
  timeout 900 soffice "-env:UserInstallation=file://$dir/profile" --headless "$@" >>soffice.log 2>&1
}
if [ ! -d meta ]; then
  rm -rf meta.tmp
  run --convert-to wmf --outdir meta.tmp svg/*.svg
  run --convert-to emf --outdir meta.tmp svg/*.svg
  mv meta.tmp meta
fi
if [ ! -d png ]; then
  rm -rf png.tmp
  mkdir png.tmp
  # One run for both kinds: the EMF pages are named after their files with an "e" in front.
  for f in meta/*.emf; do cp "$f" "png.tmp/e$(basename "$f")"; done
  run --convert-to png --outdir png.tmp meta/*.wmf png.tmp/*.emf
  rm -f png.tmp/*.emf
  mv png.tmp png
fi
ls meta/*.wmf >/dev/null 2>&1 || { echo "the office suite wrote no metafiles (see $dir/soffice.log)" >&2; exit 1; }
