#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and only those that are missing,
# so a machine that has them all touches neither the network nor apt's lists.
#   install-deps.sh          what the build and the tests need
#   install-deps.sh --fuzz   that, and clang with libFuzzer for the fuzz targets (MODEM_FUZZ)
set -euo pipefail

# Ninja builds the trees (CI, the fuzz targets); qt6-base-dev brings Widgets and Test; the font shows the windows' Chinese texts; gammu is the
# client of the simulated modem in its end-to-end test (tests/modemsim/gammu_client.sh). The
# Debian packages need dpkg-shlibdeps (dpkg-dev) and file to find their dependencies; man-db and
# groff-base render the manual pages to check them.
packages=(g++ make cmake ninja-build libgtest-dev qt6-base-dev fonts-wqy-microhei gammu dpkg-dev file man-db
    groff-base)
for argument in "$@"; do
    case $argument in
        --fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
        *)
            echo "usage: $0 [--fuzz]" >&2
            exit 2
            ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
((${#missing[@]} == 0)) && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
