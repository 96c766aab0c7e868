#!/bin/sh
# Runs a test program as the user "nobody" when run as root (root reads every file, so tests of
# unreadable files need another user); as anybody else it runs the program as it is. The program is
# copied to a temporary folder first, since the checkout may lie where "nobody" may not enter.
program=$1
shift
[ "$(id -u)" -ne 0 ] && exec "$program" "$@"
folder=$(mktemp -d)
cp "$program" "$folder/"
chmod 755 "$folder"
setpriv --reuid=65534 --regid=65534 --clear-groups "$folder/$(basename "$program")" "$@"
status=$?
rm -rf "$folder"
exit $status
