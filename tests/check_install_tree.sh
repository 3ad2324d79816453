#!/usr/bin/env bash
# Installs the build into a temporary root as a package would (prefix /usr) and checks what
# arrives there: every file in its place, each valid for the tools that read it.
# Usage: check_install_tree.sh BUILD_DIR APP_ID VERSION ICON_SIZE...
set -uo pipefail
build=$1 app_id=$2 version=$3
shift 3
sizes=("$@")

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$root.log" 2>&1; then
    cat "$root.log" >&2
    rm -f "$root.log"
    echo "FAIL: cmake --install" >&2
    exit 1
fi
rm -f "$root.log"
usr=$root/usr

desktop=$usr/share/applications/$app_id.desktop
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
man=$usr/share/man/man1/findolin.1.gz
for file in "$usr/bin/findolin" "$desktop" "$metainfo" "$man" \
    "$usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    "$usr/share/doc/findolin/copyright" "$usr/share/doc/findolin/changelog.gz"; do
    [ -s "$file" ] || fail "missing or empty: ${file#"$root"}"
done

# The installed program is the one built, and runs.
[ -x "$usr/bin/findolin" ] || fail "findolin is not executable"
out=$("$usr/bin/findolin" --version 2>&1)
[ "$out" = "Findolin $version" ] || fail "findolin --version printed '$out'"

# Each icon size is a PNG of that size (width and height stand at bytes 16 to 23).
for size in "${sizes[@]}"; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    if [ ! -s "$png" ]; then
        fail "missing icon ${size}x$size"
        continue
    fi
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || fail "not a PNG: ${png#"$root"}"
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$width $height" = "$size $size" ] || fail "${png#"$root"} is ${width}x$height"
done
[ "$(find "$usr/share/icons" -type f | wc -l)" -eq $((${#sizes[@]} + 1)) ] ||
    fail "icon files other than the sizes and the SVG: $(find "$usr/share/icons" -type f)"

# The desktop entry: valid, and naming the program and the icon that are installed.
desktop-file-validate "$desktop" || fail "desktop-file-validate"
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(entry Exec)
[ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec names no installed program: $exec_line"
[ "$(entry Icon)" = "$app_id" ] || fail "Icon is not $app_id"
for key in Name GenericName Comment Keywords; do
    [ -n "$(entry "$key")" ] || fail "no English $key"
    [ -n "$(entry "$key\\[de\\]")" ] || fail "no German $key"
done
[ "$(entry Categories)" = "Utility;FileTools;Qt;" ] || fail "Categories: $(entry Categories)"

# The software-centre description: valid without the network, and pointing at the entry.
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"

# The manual page: no warning from man (as lintian runs it), and it names the options.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$man" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man" 2>/dev/null)
for word in findolin --help --version FOLDER "$version"; do
    grep -q -- "$word" <<<"$page" || fail "the man page does not mention $word"
done

# The change log names this version first; compressed files carry no time stamp.
zcat "$usr/share/doc/findolin/changelog.gz" | head -1 | grep -q "^findolin ($version) " ||
    fail "the change log does not begin with $version"
for gz in "$man" "$usr/share/doc/findolin/changelog.gz"; do
    [ "$(od -An -tu4 -j4 -N4 "$gz" | tr -d ' ')" = 0 ] || fail "time stamp in ${gz#"$root"}"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "install tree: all checks passed"
