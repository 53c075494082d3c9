#!/bin/sh
# The Debian package made from this build, unpacked where dpkg would install it, and its
# programs run from there: what someone who installs the package gets. (scripts/check-deb-install
# installs it on a clean Debian with its dependencies.)
# Usage: debian_package_test.sh BUILD-DIR VERSION JPEG-PICTURE
set -eu
build=$1 version=$2 picture=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
deb=$work/package/pellumo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/package")"
# The dependencies come from the programs' own links.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libsdl2-mixer-2.0-0 libjpeg62-turbo; do
  case $depends in *"$library "*) ;; *) fail "Depends lacks $library: $depends" ;; esac
done

root=$work/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share
programs=$(cd "$bin" && echo *)
[ "$programs" = "pellumo pellumo-pack pellumo-studio" ] || fail "bin holds: $programs"
for file in bash-completion/completions/pellumo-pack doc/pellumo/copyright doc/pellumo/changelog.gz \
  icons/hicolor/scalable/apps/org.pellumo.Studio.svg; do
  [ -s "$share/$file" ] || fail "no $file"
done

# The menu entry names a program and an icon that are there, at every size, as big as it says.
entry=$share/applications/org.pellumo.Studio.desktop
[ -x "$bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || fail "the desktop entry's Exec is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || fail "no $size-pixel icon $icon.png"
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] || fail "$png is not $size x $size"
done

for page in pellumo pellumo-pack pellumo-studio; do
  warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) ||
    fail "man $page failed: $warnings"
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# Every program tells its version without a display.
for program in pellumo pellumo-pack pellumo-studio; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --version) ||
    fail "$program --version failed"
  [ "$answer" = "$program $version" ] || fail "$program --version said: $answer"
done

"$bin/pellumo-pack" info --json "$picture" | grep -q '"width":' || fail "pellumo-pack info"

# The packaged pellumo-pack builds a show with the packaged (stripped) player beside it, and
# that show reads no command line: asked for its version, it plays until it is stopped.
"$bin/pellumo-pack" build -o "$work/show" "$picture" >/dev/null || fail "pellumo-pack build"
"$bin/pellumo-pack" inspect "$work/show" >/dev/null || fail "pellumo-pack inspect"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"  # the editor's settings
played=0
timeout -k 5 3 "$work/show" --version >"$work/show.out" 2>&1 || played=$?
[ "$played" -eq 124 ] || fail "the show ended with $played instead of playing: $(cat "$work/show.out")"
! grep -q "pellumo $version" "$work/show.out" || fail "the show answered --version"

# The editor starts and keeps running, and finds its English translation where it is installed.
started=0
timeout -k 5 3 "$bin/pellumo-studio" >"$work/studio.out" 2>&1 || started=$?
[ "$started" -eq 124 ] || fail "the editor ended with $started: $(cat "$work/studio.out")"
help=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=en_US.UTF-8 "$bin/pellumo-studio" --help) ||
  fail "pellumo-studio --help failed"
case $help in *"with the mouse"*) ;; *) fail "pellumo-studio --help is not in English: $help" ;; esac
