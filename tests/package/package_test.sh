#!/usr/bin/env bash
# package_test.sh SOURCE_DIR WORK_DIR [GENERATOR]
# Builds the Debian package from a Release tree in WORK_DIR/release, checks it with lintian and
# the desktop and AppStream validators, unpacks it into a scratch root and starts the unpacked
# terminal against its demo back-end with fresh XDG folders.
set -euo pipefail
source_dir=$1
work=$2
generator=${3:-Ninja}
fail() {
    echo "package_test: $*" >&2
    exit 1
}
if ! command -v dpkg-deb >/dev/null; then
    echo "package_test: no dpkg-deb, not a Debian system" >&2
    exit 77
fi

build=$work/release
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$source_dir
fi
started=$SECONDS
cmake -S "$source_dir" -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
    -DFT_BUILD_TESTS=OFF -DFT_BUILD_BENCH=OFF -DFT_WERROR=ON "${launcher[@]}" >/dev/null
rm -f "$build"/futures-terminal_*.deb
cmake --build "$build" --target package
debs=("$build"/futures-terminal_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
echo "package built in $((SECONDS - started)) s: $deb"

# The control fields: libraries found from the binaries, plus what is loaded at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libcurl4 libsqlite3-0 libssl3 libc6 qt6-translations-l10n \
    fonts-wqy-zenhei; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        fail "Depends lacks $needed: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in usr/bin/futures-terminal usr/bin/futures-sim \
    usr/share/applications/futures-terminal.desktop \
    usr/share/metainfo/io.github.futures_terminal.FuturesTerminal.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/futures-terminal.svg \
    usr/share/icons/hicolor/48x48/apps/futures-terminal.png \
    usr/share/icons/hicolor/256x256/apps/futures-terminal.png \
    usr/share/man/man1/futures-terminal.1.gz usr/share/man/man1/futures-sim.1.gz \
    usr/lib/systemd/user/futures-sim.service \
    usr/share/futures-terminal/sounds/fill.wav usr/share/futures-terminal/sounds/rule.wav \
    usr/share/doc/futures-terminal/copyright usr/share/doc/futures-terminal/changelog.gz; do
    grep -qx "\./$path" <<<"$contents" || fail "the package lacks /$path"
done

# lintian prints every tag; only errors fail the test (the warnings are explained in the README).
lintian --fail-on error --display-level ">=warning" --allow-root "$deb" ||
    fail "lintian reports errors"

root=$work/root
home=$work/home
rm -rf "$root" "$home"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/futures-terminal.desktop" ||
    fail "desktop entry invalid"
appstreamcli validate --no-net \
    "$root/usr/share/metainfo/io.github.futures_terminal.FuturesTerminal.metainfo.xml" ||
    fail "AppStream metainfo invalid"
"$root/usr/bin/futures-sim" --help | grep -q -- --no-seed || fail "futures-sim --help"

# The unpacked program is an installed one: no build folder around it, so everything it writes
# goes to the XDG folders and nothing beside itself.
before=$(find "$root" | sort)
mkdir -p "$home"
env -u FT_PROGRAM_DIR -u FT_SYSTEM_ROOT HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$root/usr/bin/futures-terminal" --demo --screenshot "$work/screenshot.png" ||
    fail "the installed terminal did not save its screenshot (exit $?)"
[ "$(head -c 4 "$work/screenshot.png" | od -An -c | tr -d ' ')" = "211PNG" ] ||
    fail "the screenshot is not a PNG image"
[ "$(find "$root" | sort)" = "$before" ] || fail "the installed terminal wrote beside itself:
$(diff <(echo "$before") <(find "$root" | sort))"
[ -s "$home/config/futures-terminal/client.ini" ] || fail "no client.ini in XDG_CONFIG_HOME"
[ -s "$home/data/futures-terminal/demo.sqlite" ] || fail "no demo database in XDG_DATA_HOME"
echo "package_test: passed in $((SECONDS - started)) s"
