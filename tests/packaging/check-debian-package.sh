#!/usr/bin/env bash
# Makes the Debian package from the build with CPack and checks it: the same
# files as the installed tree (under /usr), owned by root; lintian finds no
# error; every library the binaries load is a dependency; it installs into a
# throw-away root with dpkg, its programs run from there, and it removes
# cleanly.
#   check-debian-package.sh BUILD_DIR INSTALL_WORK VERSION
set -euo pipefail
build=$1 install_work=$2 version=$3
work="$install_work-deb"
fail() { echo "FAIL: $*"; exit 1; }

# The package that owns a library file, asked under each name it may be
# registered by (its link or its target, with or without the merged /usr).
owner_of() {
    local real candidate owners
    real="$(dirname "$1")/$(basename "$(readlink -f "$1")")"
    for candidate in "$1" "$real" "/usr${1#/usr}" "${1#/usr}" "/usr${real#/usr}" "${real#/usr}"; do
        if owners=$(dpkg -S "$candidate" 2>/dev/null); then
            cut -d: -f1 <<< "${owners%%$'\n'*}"
            return
        fi
    done
}

rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack failed"; }

deb=$(ls "$work"/velthorn_"$version"_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

# The same files as `make install`, moved from /usr/local to /usr.
installed=$(cd "$install_work/root/usr/local" && find . \( -type f -o -type l \) -printf '%P\n' | sort)
packaged=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' | sort)
[ "$installed" = "$packaged" ] || { diff <(echo "$installed") <(echo "$packaged"); fail "the package's files differ from the installed tree's"; }
owners=$(dpkg-deb --contents "$deb" | awk '$2 != "root/root"')
[ -z "$owners" ] || fail "files not owned by root: $owners"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq '(pre|post)(inst|rm)$' && fail "the package has maintainer scripts"

# lintian: errors fail; everything it says is kept in the log.
lintian --fail-on error --display-level '>=info' "$deb" | tee "$work/lintian.log" || fail "lintian reports errors"

# Every library the binaries need comes from a package the package depends on.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The package names alone, one a line (alternatives and versions dropped).
depended=$(tr ',|' '\n\n' <<< "$depends" | sed 's/(.*)//; s/ //g' | sort -u)
dpkg -x "$deb" "$work/contents"
libraries=$(ldconfig -p)
for binary in "$work/contents/usr/bin/"*; do
    for soname in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(awk -v lib="$soname" '$1 == lib { print $NF; exit }' <<< "$libraries")
        [ -n "$path" ] || fail "$(basename "$binary") needs $soname, which is not installed here"
        owner=$(owner_of "$path")
        [ -n "$owner" ] || fail "no package owns $path"
        grep -Fxq "$owner" <<< "$depended" || fail "$(basename "$binary") needs $soname from $owner, which Depends lacks"
    done
done
# The framework opens some libraries itself at run time (dlopen), where
# dpkg-shlibdeps cannot see them: each must come from a package the package
# depends on or recommends.
recommended=$(dpkg-deb -f "$deb" Recommends | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g' | sort -u)
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
for binary in "$work/contents/usr/bin/"*; do
    for soname in $(strings -a "$binary" | grep -E '^lib[A-Za-z0-9_+-]+\.so\.[0-9]+$' | sort -u); do
        path=$(awk -v lib="$soname" '$1 == lib { print $NF; exit }' <<< "$libraries")
        # One this machine lacks is one the program does without.
        [ -n "$path" ] || { echo "note: $(basename "$binary") may open $soname, not installed here"; continue; }
        owner=$(owner_of "$path")
        grep -Fxq "$owner" <<< "$depended"$'\n'"$recommended" \
            || fail "$(basename "$binary") opens $soname from $owner, which neither Depends nor Recommends names"
    done
done

for package in $depended; do
    apt-cache show "$package" > /dev/null 2>&1 || fail "Depends names $package, which no archive has"
done

# Installed with dpkg into a root of its own (dependencies are this machine's).
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-not-root -i "$deb" > "$work/dpkg-install.log" 2>&1 \
    || { cat "$work/dpkg-install.log"; fail "dpkg -i failed"; }
[ "$(env -i PATH=/usr/bin:/bin "$root/usr/bin/Velthorn" --version | head -n1)" = "Velthorn $version" ] || fail "the packaged Velthorn does not run"
[ "$(env -i PATH=/usr/bin:/bin "$root/usr/bin/velthorn-render" --version | head -n1)" = "velthorn-render $version" ] || fail "the packaged velthorn-render does not run"
dpkg --root="$root" --force-not-root -r velthorn > "$work/dpkg-remove.log" 2>&1 \
    || { cat "$work/dpkg-remove.log"; fail "dpkg -r failed"; }
left=$(find "$root" -mindepth 1 -not -path "$root/var/lib/dpkg*" -not -type d)
[ -z "$left" ] || fail "left behind by dpkg -r: $left"

rm -rf "$work/contents" "$root"
echo "the package installs, runs and removes cleanly"
