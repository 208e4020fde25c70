#!/usr/bin/env bash
# Checks the package on a Debian 12 that never built Vernalo: makes a clean root with
# debootstrap (minbase, bookworm, from the package sources this machine uses, read at run
# time), installs the .deb there with apt resolving its dependencies, and inside it checks
# vernalo-cli, the window (under Xvfb, installed in the root for the check only), the
# desktop entry with a file of each kind, and that purging leaves no file of the package.
# Prints each step; exits non-zero at the first failure. Slow (minutes): run by hand.
#   sudo scripts/check-package.sh [DEB] [ROOT]     ROOT is made and removed when not given
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "${1:-$(ls -t vernalo_*_amd64.deb | head -1)}")
root=${2:-}
keep_root=1
if [ -z "$root" ]; then
  root=$(mktemp -d /var/tmp/vernalo-root.XXXXXX)
  chmod 755 "$root"  # apt's own user fetches into it
  keep_root=0
fi
[ "$(id -u)" -eq 0 ] || { echo "check-package: needs root (debootstrap, chroot)" >&2; exit 2; }

step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
mounts_under_root() { findmnt -rn -o TARGET | grep "^$root/" | sort -r || true; }
cleanup() {
  local m
  for m in $(mounts_under_root); do umount "$m" || umount -l "$m"; done
  if [ -n "$(mounts_under_root)" ]; then
    echo "check-package: something is still mounted under $root; left in place" >&2
  elif [ $keep_root -eq 0 ]; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
in_root() {
  chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

package_version=$(dpkg-deb -f "$deb" Version)
step "package $(basename "$deb"): $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
sources=/etc/apt/sources.list.d/debian.sources
mirror=$(awk '/^URIs:/ { print $2; exit }' "$sources")
[ -n "$mirror" ] || fail "no URIs: line in $sources"

step "debootstrap minbase bookworm into $root"
start=$(date +%s)
if [ ! -x "$root/usr/bin/apt-get" ]; then
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    fail "debootstrap (see $root.debootstrap.log)"
fi
rm -f "$root.debootstrap.log"
echo "   $(($(date +%s) - start)) s"
# The same sources as this machine (updates and security included), and its name service.
cp "$sources" "$root/etc/apt/sources.list.d/debian.sources"
rm -f "$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t devpts devpts "$root/dev/pts"  # apt keeps its terminal log through one
in_root apt-get update -qq || fail "apt-get update in the root"

step "apt-get install ./$(basename "$deb") (dependencies and recommends resolved by apt)"
cp "$deb" "$root/tmp/vernalo.deb"
start=$(date +%s)
in_root apt-get install -y -qq /tmp/vernalo.deb >"$root/tmp/install.log" 2>&1 ||
  { tail -20 "$root/tmp/install.log"; fail "installing the package"; }
echo "   install took $(($(date +%s) - start)) s; root now $(du -sm --exclude=proc "$root" | cut -f1) MB"
in_root dpkg -L vernalo >"$root/tmp/vernalo.files"

step "vernalo-cli --version"
version=$(in_root vernalo-cli --version) || fail "vernalo-cli --version"
echo "   $version"
[ "$version" = "vernalo-cli $package_version" ] || fail "unexpected version: $version"

step "vernalo-cli voices"
in_root vernalo-cli voices >"$root/tmp/voices.txt" || fail "vernalo-cli voices"
sed 's/^/   /' "$root/tmp/voices.txt"
grep -q $'^[0-9]*\tRussian.*\tbuilt-in\t' "$root/tmp/voices.txt" || fail "no built-in Russian voice"
grep -q $'^[0-9]*\tEnglish.*\tbuilt-in\t' "$root/tmp/voices.txt" || fail "no built-in English voice"

# The tools of the checks themselves, not the package's: they go after its file list is taken.
step "installing the check's own tools in the root (Xvfb, AT-SPI, sndfile-programs)"
in_root apt-get install -y -qq --no-install-recommends xvfb xauth dbus-x11 at-spi2-core \
  python3-pyatspi sndfile-programs >"$root/tmp/tools.log" 2>&1 ||
  { tail -20 "$root/tmp/tools.log"; fail "installing the check's tools"; }

step "vernalo-cli say --out x.mp3 on a mixed Russian/English text"
printf 'Это проверка пакета. This is a check of the package. И снова по-русски.\n' >"$root/tmp/mixed.txt"
in_root vernalo-cli say --out /tmp/x.mp3 /tmp/mixed.txt 2>"$root/tmp/say.log" ||
  { cat "$root/tmp/say.log"; fail "vernalo-cli say --out"; }
in_root sndfile-convert -pcm16 /tmp/x.mp3 /tmp/x.wav >/dev/null || fail "x.mp3 does not decode"
/usr/bin/python3 - "$root/tmp/x.wav" <<'PY' || fail "x.mp3 decodes to silence"
import array, sys, wave
w = wave.open(sys.argv[1])
samples = array.array("h", w.readframes(w.getnframes()))
seconds = w.getnframes() / w.getframerate()
rms = (sum(s * s for s in samples[::w.getnchannels()]) / max(1, len(samples) // w.getnchannels())) ** 0.5
print("   %.1f s of sound at %d Hz, RMS %.0f" % (seconds, w.getframerate(), rms))
sys.exit(0 if seconds > 2 and rms > 300 else 1)
PY

step "the window under Xvfb: status, Russian translation, a file of each kind through the desktop entry"
mkdir -p "$root/tmp/files"
data=$here/tests/data
cp "$root/tmp/mixed.txt" "$root/tmp/files/mixed.txt"
cp "$data/rtf/pandoc_mixed.rtf" "$data/doc/text.doc" "$data/office/office.docx" "$data/office/office.odt" \
   "$data/pdf/justified.pdf" "$data/books/book.fb2" "$data/books/book.fb2.zip" "$data/books/book.epub" \
   "$data/ocr/en-150.png" "$root/tmp/files/"
cp "$here/scripts/check-package-window.py" "$here/scripts/desktopsession.py" "$root/tmp/"
if ! in_root /usr/bin/python3 /tmp/check-package-window.py /usr/share/applications/vernalo.desktop \
     $(cd "$root" && ls -d tmp/files/* | sed 's|^|/|') | sed 's/^/   /'; then
  fail "the window"
fi

step "apt-get purge vernalo leaves no file of the package"
in_root apt-get purge -y -qq vernalo >/dev/null || fail "apt-get purge vernalo"
left=()
while read -r f; do
  [ -n "$f" ] && [ "$f" != "/." ] || continue
  # Folders other packages share stay; every file and our own folders go.
  if [ -L "$root$f" ] || [ -f "$root$f" ]; then
    left+=("$f")
  elif [ -d "$root$f" ] && [[ $f == */vernalo || $f == */vernalo/* ]]; then
    left+=("$f/")
  fi
done <"$root/tmp/vernalo.files"
[ ${#left[@]} -eq 0 ] || fail "left behind: ${left[*]}"
in_root dpkg-query -W -f='${Status}' vernalo 2>/dev/null | grep -q installed && fail "still known to dpkg"
echo "   none of $(wc -l <"$root/tmp/vernalo.files") paths left"
step "all checks passed"
