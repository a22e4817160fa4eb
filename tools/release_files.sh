# shellcheck shell=bash
# What every download is named and dated by, and how its archives are made
# the same bytes from the same files. Source it with $root set (the tree).
#   $version               debian/changelog's last version
#   $date                  that entry's time, seconds since 1970
#   reproducible_tar ARG.. a gzip'd tar on stdout of tar's ARGs (folders
#                          in name order), every member dated $date, owned
#                          by root, mode 644 or 755, no name or time in gzip
: "${root:?}"
# shellcheck disable=SC2034 # for the scripts that source this one
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
date=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)

reproducible_tar() {
  tar --sort=name --mtime="@$date" --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX \
    --format=gnu -cf - "$@" | gzip -n -9
}
