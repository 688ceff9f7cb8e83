#!/usr/bin/env bash
# The Debian package of a build folder: cpack makes it, lintian finds no error, apt could
# install it here, dpkg installs it into a fresh root (unpacks it when not root), and
# the program answers there without a display; the menu entry and metadata are valid.
set -uo pipefail
build=$(realpath "$1")
work=$(mktemp -d /tmp/pwpkg.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { "$@" >"$work/out" 2>&1 || { cat "$work/out"; fail "$*"; }; }

run cpack --config "$build/CPackConfig.cmake" -B "$work"
version=$(dpkg-deb -f "$work"/*.deb Version)
deb=$work/piecework_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"
lintian --fail-on error "$deb" || fail "lintian found errors"
# Every dependency is a package of the archive or of this computer.
run apt-get install --simulate --no-install-recommends "$deb"

root=$work/root
if [ "$(id -u)" = 0 ]; then
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  touch "$root/var/lib/dpkg/status"
  # The libraries are the host's, so the fresh root's own database knows none of them.
  run dpkg --root="$root" --force-depends -i "$deb"
  grep -qx /etc/piecework.conf "$root/var/lib/dpkg/info/piecework.conffiles" || fail "/etc/piecework.conf is no conffile"
else
  echo "not root: the package is unpacked, not installed"
  run dpkg-deb -x "$deb" "$root"
fi

# The production calendars, and the folder where the administrator's win year by year.
for year in 2025 2026; do
  cmp -s "$root/usr/share/piecework/calendar/ru-$year.txt" "$(dirname "$0")/../packaging/calendar/ru-$year.txt" \
    || fail "the calendar of $year is not installed"
done
[ -d "$root/etc/piecework/calendar" ] || fail "no /etc/piecework/calendar"

# Answered from the installed place, with no display to open a window on.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/piecework" --version) || fail "--version failed"
[[ $out =~ ^piecework\ ${version//./\\.}\ \(build:\ [0-9]{8}\.[0-9]+\)$ ]] || fail "--version printed: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/piecework" --help) || fail "--help failed"
grep -q '^Использование: piecework \[БАЗА СЕРВЕР\]' <<<"$out" || fail "--help printed: $out"

desktop=$root/usr/share/applications/piecework.desktop
run desktop-file-validate "$desktop"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "the menu entry starts $exec_name, which the package does not hold"
icon=$(sed -n 's/^Icon=//p' "$desktop")
ls "$root"/usr/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "no icon $icon"
grep -q '^Categories=.*Office;' "$desktop" || fail "the menu entry is not in Office"
metainfo=$root/usr/share/metainfo/piecework.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/out" 2>&1
grep '^E:' "$work/out" && fail "the AppStream metadata has errors"
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" || fail "metadata launches another entry"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metadata has no release $version"
zcat "$root/usr/share/doc/piecework/changelog.gz" | head -1 | grep -q "^piecework ($version)" || fail "changelog is not at $version"
echo "1 passed, 0 failed: $(basename "$deb")"
