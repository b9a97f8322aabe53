#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack, judged by lintian (no
# errors), unpacked into a scratch root, where the command measures the demo
# device and both bundles pass host-check.
# usage: deb_package.sh BUILD_FOLDER
set -euo pipefail
build="$(cd "$1" && pwd)"
for tool in cpack lintian dpkg-deb; do command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }; done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# A home of its own: a copy installed in the user's ~/.lv2 would hide the package's.
export HOME="$scratch/home"
mkdir -p "$HOME"

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb="$(ls "$scratch"/out/sonderlith_*_*.deb)"
echo "built $(basename "$deb")"
[[ "$(basename "$deb")" =~ ^sonderlith_[0-9]+\.[0-9]+\.[0-9]+_[a-z0-9]+\.deb$ ]] || { echo "unexpected package name"; exit 1; }

# lintian warns when run as root; its verdict is what counts.
status=0
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
grep -v "running with root privileges" "$scratch/lintian.log" || true
[ "$status" = 0 ] || { echo "lintian reports errors"; exit 1; }
echo "lintian: no errors"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
for library in libfftw3 libflac libvorbis libfreetype; do
  grep -q "$library" <<<"$depends" || { echo "the dependencies miss $library"; exit 1; }
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for path in usr/bin/sonderlith usr/bin/sonderlith-host-check usr/lib/sonderlith/sonderlith-plugin-host usr/lib/vst3/Sonderlith.vst3 usr/lib/lv2/Sonderlith.lv2/dsp.ttl \
            usr/share/man/man1/sonderlith.1.gz usr/share/doc/sonderlith/copyright usr/share/doc/sonderlith/README.md; do
  [ -e "$root/$path" ] || { echo "missing from the package: /$path"; exit 1; }
done
grep -q "SIL Open Font License" "$root/usr/share/doc/sonderlith/copyright" || { echo "the fonts' licence is missing"; exit 1; }
# The man pages are the command's own help: every option of each subcommand is on its page.
for subcommand in measure inspect compare stimulus host-check plugins capture; do
  page="$root/usr/share/man/man1/sonderlith-$subcommand.1.gz"
  [ -e "$page" ] || { echo "missing from the package: the man page of sonderlith $subcommand"; exit 1; }
  # Read whole first: grep -q leaving a pipe early would kill zcat, and pipefail call that a miss.
  text="$(zcat "$page" | sed 's/\\-/-/g')"
  for option in $("$root/usr/bin/sonderlith" "$subcommand" --help | grep -oE '^  (-[a-z],)?--[a-z-]+' | sed -E 's/^ +(-[a-z],)?//'); do
    grep -qF -- "$option" <<< "$text" || { echo "sonderlith-$subcommand(1) lacks $option"; exit 1; }
  done
done

"$root/usr/bin/sonderlith" measure --demo tanh --json "$scratch/report.json" >"$scratch/measure.log"
grep -q '^verdict *good' "$scratch/measure.log" || { cat "$scratch/measure.log"; exit 1; }
for bundle in "$root/usr/lib/vst3/Sonderlith.vst3" "$root/usr/lib/lv2/Sonderlith.lv2"; do
  "$root/usr/bin/sonderlith" host-check "$bundle" >"$scratch/host-check.log" 2>&1 || { cat "$scratch/host-check.log"; exit 1; }
  grep -q "bit-exact pass-through: yes" "$scratch/host-check.log" || { cat "$scratch/host-check.log"; exit 1; }
  echo "host-check passed: ${bundle#$root}"
done
# The installed command finds its plug-in host where the package puts it.
"$root/usr/bin/sonderlith" plugins "$root/usr/lib/lv2/Sonderlith.lv2" >"$scratch/plugins.log" 2>&1 || { cat "$scratch/plugins.log"; exit 1; }
grep -q 'LV2 plug-in "Sonderlith"' "$scratch/plugins.log" || { cat "$scratch/plugins.log"; exit 1; }
echo "package: built, lintian clean, installs and runs"
