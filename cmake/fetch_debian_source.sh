#!/bin/bash
# Unpacks Debian's source package of the installed BINARY package into CACHE/<source>_<version>
# (with Debian's patches applied) and prints that folder. A folder unpacked before is used again,
# so each version is fetched once per build tree.
#   cmake/fetch_debian_source.sh BINARY CACHE
# The version is the installed binary's. Where the archive no longer offers that version's source
# (a security suite keeps only its newest upload, and a mirror may lag behind it), the newest
# source of the same upstream release that apt can fetch is taken instead, and said on stderr.
# Needs a deb-src entry for the suites the binary came from (scripts/setup.sh adds them).
set -euo pipefail

binary=$1
cache=$2

query=$(dpkg-query -W -f '${source:Package} ${source:Version}' "$binary" 2>/dev/null) || {
    echo "fetch_debian_source: $binary is not installed (bash scripts/setup.sh)" >&2
    exit 1
}
read -r source installed <<<"$query"
upstream() { local v=${1#*:}; echo "${v%-*}"; }
# The folder's name keeps the version without its epoch: a colon is no friend of make or Ninja.
folder_of() { echo "$cache/${source}_${1#*:}"; }

# The installed version first, then the other versions of its upstream release, newest first.
candidates=("$installed")
while read -r version; do
    if [ "$version" != "$installed" ] && [ "$(upstream "$version")" = "$(upstream "$installed")" ]; then
        candidates+=("$version")
    fi
done < <(apt-cache showsrc "$source" 2>/dev/null | sed -n 's/^Version: //p' | sort -u |
    sort -r -V)

for version in "${candidates[@]}"; do
    if [ -e "$(folder_of "$version")/.unpacked" ]; then
        folder_of "$version"
        exit 0
    fi
done

mkdir -p "$cache"
work=$(mktemp -d "$cache/.fetch-$source.XXXXXX")
trap 'rm -rf "$work"' EXIT
for version in "${candidates[@]}"; do
    rm -rf "${work:?}"/*
    if (cd "$work" && apt-get source --download-only -qq "$source=$version" >/dev/null 2>&1); then
        if [ "$version" != "$installed" ]; then
            echo "fetch_debian_source: the archive offers no source of $source $installed (the" \
                "installed $binary); $version, of the same upstream release, is built instead" >&2
        fi
        dpkg-source --no-check -x "$work"/*.dsc "$work/tree" >/dev/null
        folder=$(folder_of "$version")
        rm -rf "$folder"
        mv "$work/tree" "$folder"
        touch "$folder/.unpacked"
        echo "$folder"
        exit 0
    fi
done
echo "fetch_debian_source: apt cannot fetch the source of $source $installed; it needs a" \
    "deb-src entry and a fresh package list (bash scripts/setup.sh, apt-get update)" >&2
exit 1
