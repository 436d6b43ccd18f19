#!/usr/bin/env bash
# Builds the Debian packages of a build tree and checks them as a user gets them: each unpacked
# into one scratch root, its dependencies as dpkg will read them, its binary, desktop entry and
# icons, its manual page rendered without a warning and found by man, and the installed
# programs answering --version or --help without a display.
#   check-packages.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0

fail() {
    echo "check-packages: $*" >&2
    failures=$((failures + 1))
}

# The field must name each of the packages given.
expect_depends() {
    local deb=$1 depends
    shift
    depends=$(dpkg-deb --field "$deb" Depends)
    for wanted in "$@"; do
        [[ ", $depends," == *", $wanted "* || ", $depends," == *", $wanted,"* ]] ||
            fail "$(basename "$deb"): Depends lacks $wanted: $depends"
    done
}

expect_file() {
    [[ -f $root/$1 ]] || fail "$1 is not installed"
}

check_desktop_entry() {
    local program=$1 entry=$root/usr/share/applications/$1.desktop
    expect_file "usr/share/applications/$program.desktop"
    grep -qx "Exec=$program" "$entry" || fail "$program.desktop does not start $program"
    grep -qx "Icon=$program" "$entry" || fail "$program.desktop does not show its icon"
    for size in 16 32; do
        expect_file "usr/share/icons/hicolor/${size}x$size/apps/$program.png"
    done
}

check_manual_page() {
    local program=$1 page=$root/usr/share/man/man1/$1.1.gz warnings
    expect_file "usr/share/man/man1/$program.1.gz"
    # The pages hold Chinese messages: a UTF-8 locale renders them, as on users' desktops.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
        fail "man cannot render $program.1"
    [[ -z $warnings ]] || fail "$program.1: $warnings"
    [[ $(MANPATH=$root/usr/share/man man -w "$program") == "$page" ]] ||
        fail "man $program does not find the installed page"
}

echo "=== packages"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1) || { echo "cpack failed" >&2; exit 1; }
for program in quillet dorrin modemsim; do
    deb=$(echo "$build/${program}"_*.deb)
    [[ -f $deb ]] || { fail "no package $program"; continue; }
    dpkg-deb --extract "$deb" "$root"
    expect_depends "$deb" libc6 libstdc++6
    expect_file "usr/bin/$program"
    [[ -x $root/usr/bin/$program ]] || fail "$program is not executable"
    expect_file "usr/share/doc/$program/copyright"
    check_manual_page "$program"
done
for program in quillet dorrin; do
    deb=$(echo "$build/$program"_*.deb)
    expect_depends "$deb" libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins
    check_desktop_entry "$program"
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version) ||
        fail "$program --version failed"
    [[ $said == "$program $(dpkg-deb --field "$deb" Version)" ]] ||
        fail "$program --version says: $said"
done
"$root/usr/bin/modemsim" --help >/dev/null || fail "modemsim --help failed"

((failures == 0)) || exit 1
echo "packages: $(cd "$build" && echo ./*.deb) checked"
