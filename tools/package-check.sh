#!/usr/bin/env bash
# Builds the Debian package from debian/ twice and checks it. Fails on any of:
#  - a package of Build-Depends (debian/control) that tools/packages.txt does not list;
#  - a build that fails (dpkg-buildpackage -us -uc -b, the package's own tests left out:
#    the test command runs them);
#  - lintian --pedantic -I -E, on the packages and on the source package, reporting anything
#    that debian/tavix.lintian-overrides and debian/source/lintian-overrides do not explain;
#  - blhc on the build log (dpkg-buildflags' flags on every compile and link line);
#  - hardening-check on the packaged /usr/bin/tavix (PIE, stack protector, fortified
#    functions, full RELRO with immediate binding);
#  - the package's control fields and files (tests/install/install_checks.py deb);
#  - the package's own test (debian/tests/listing), run on the program unpacked from the
#    package rather than installed;
#  - two builds of the same tree that differ in a single byte. The second build runs later,
#    in another folder, with another umask, time zone and locale; diffoscope shows where the
#    packages differ.
# Each build is a clean copy of the files git tracks, as they are in the working tree now
# (changed or not, committed or not): what a clone would hold once they are committed, so
# build folders and other untracked files never leak into the package. The packages are kept
# in build/artifacts/. When the tree was already checked and its packages are still there,
# the check is skipped; --force runs it anyway.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/artifacts"
force=0
[ "${1:-}" = --force ] && force=1

fail() {
    echo "package-check: $*" >&2
    exit 1
}

# The tracked files of the working tree as a git tree object, through a throwaway index.
index=$(mktemp)
trap 'rm -f "$index"' EXIT
rm -f "$index"
cp "$(git -C "$root" rev-parse --path-format=absolute --git-path index)" "$index"
GIT_INDEX_FILE=$index git -C "$root" add -u
tree=$(GIT_INDEX_FILE=$index git -C "$root" write-tree)
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
deb="tavix_${version}_${arch}.deb"
stamp="$out/package-check.tree"
if [ $force = 0 ] && [ -f "$out/$deb" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$tree" ]; then
    echo "package-check: $deb of this tree already checked"
    exit 0
fi

# Every build dependency comes from tools/packages.txt, so tools/deps.sh installs it.
mapfile -t listed < <(grep -v -E '^\s*(#|$)' "$root/tools/packages.txt")
build_depends=$(awk '/^Build-Depends:/ { on = 1; sub(/^Build-Depends:/, ""); print; next }
    on && /^[ \t]/ { print; next } { on = 0 }' "$root/debian/control")
for name in $(sed -E 's/\([^)]*\)//g; s/<[^>]*>//g; s/[,|]/ /g; s/#.*//' <<<"$build_depends"); do
    [ "$name" = debhelper-compat ] && name=debhelper
    # A here-string, not a pipe: grep -q leaves as soon as it matches, and under pipefail
    # the writer's broken pipe would count as a missing package.
    grep -qx -- "$name" <<<"$(printf '%s\n' "${listed[@]}")" ||
        fail "Build-Depends names $name, which tools/packages.txt does not list"
done

work=$(mktemp -d /tmp/tavix-package.XXXXXX)
trap 'rm -f "$index"; rm -rf "$work"' EXIT

# build FOLDER UMASK TZ LOCALE: a clean copy of the tree in FOLDER/tavix, built there.
build() {
    local folder=$1 mask=$2 zone=$3 locale=$4
    mkdir -p "$folder/tavix"
    git -C "$root" archive "$tree" | (umask "$mask" && tar -x -C "$folder/tavix")
    local start=$SECONDS
    if ! (cd "$folder/tavix" && umask "$mask" &&
        env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER -u MAKEFLAGS \
            TZ="$zone" LC_ALL="$locale" DEB_BUILD_OPTIONS="nocheck parallel=2" \
            nice -n 10 dpkg-buildpackage -us -uc -b) >"$folder/build.log" 2>&1; then
        tail -n 40 "$folder/build.log" >&2
        fail "dpkg-buildpackage failed in $folder (log above)"
    fi
    echo "package-check: built in $((SECONDS - start)) s in $folder/tavix"
}

build "$work/first" 022 UTC C.UTF-8
# The second build: a deeper folder of another name, a group-writable umask, a time zone
# far from UTC and the Brazilian locale where it exists (the plain C locale otherwise).
locale=C
grep -qix 'pt_BR.utf8' <<<"$(locale -a 2>/dev/null)" && locale=pt_BR.UTF-8
second="$work/second/elsewhere"
build "$second" 002 America/Sao_Paulo "$locale"

first="$work/first/$deb"
[ -f "$first" ] || fail "no $deb was built"
status=0

echo "package-check: lintian"
# The source package as well, as it would be uploaded: the upstream tarball is the tree
# without debian/.
source="$work/source"
mkdir -p "$source/tavix"
git -C "$root" archive "$tree" | tar -x -C "$source/tavix"
git -C "$root" archive --prefix=tavix/ "$tree" ':!debian' |
    gzip -n >"$source/tavix_${version%-*}.orig.tar.gz"
(cd "$source/tavix" && dpkg-source -b .) >"$source/dpkg-source.log" 2>&1 ||
    { cat "$source/dpkg-source.log" >&2; fail "dpkg-source could not make the source package"; }
# --fail-on makes any tag that is not overridden count, informational ones included.
lintian --pedantic -I -E --fail-on error,warning,info,pedantic "$work/first"/*.deb \
    "$source"/*.dsc >"$work/lintian.log" 2>&1 || status=1
grep -v 'running with root privileges is not recommended' "$work/lintian.log" || true
[ $status = 0 ] || echo "package-check: lintian reported the tags above" >&2

echo "package-check: build flags"
# Every compile and link line of the build carries the flags of dpkg-buildflags: the project
# adds none that undo them.
blhc "$work/first/build.log" || status=1

echo "package-check: hardening-check"
mkdir "$work/unpacked"
dpkg-deb -x "$first" "$work/unpacked"
# Every test but control-flow integrity (Intel CET), which no program built on Debian 12 can
# pass: the C library's start files are not marked for it, so the linker drops the mark
# (hardening-check fails /usr/bin/dpkg the same way).
hardening-check --nocfprotection "$work/unpacked/usr/bin/tavix" || status=1

echo "package-check: the package's own test (debian/tests), on the unpacked program"
AUTOPKGTEST_TMP="$work" TAVIX_BIN="$work/unpacked/usr/bin/tavix" "$root/debian/tests/listing" \
    >"$work/listing.log" 2>&1 || { cat "$work/listing.log" >&2; status=1; }
tail -n 1 "$work/listing.log"

echo "package-check: package contents"
python3 "$root/tests/install/install_checks.py" deb "$first" "${version%-*}" || status=1

echo "package-check: the two builds"
for package in "$work/first"/*.deb; do
    name=$(basename "$package")
    if ! cmp "$package" "$second/$name"; then
        status=1
        echo "package-check: $name differs between the two builds" >&2
        if command -v diffoscope >/dev/null; then
            diffoscope "$package" "$second/$name" >&2 || true
        fi
    fi
done

[ $status = 0 ] || fail "the package check failed"
mkdir -p "$out"
cp "$work/first"/*.deb "$out/"
echo "$tree" >"$stamp"
echo "package-check: ok, $out/$deb"
