#!/bin/sh
# Writes the man page of `sonderlith` or one of its subcommands from the
# command's own --help, with help2man, compressed as Debian installs them.
# Usage: make_man_page.sh SONDERLITH SUBCOMMAND|- RELEASE DESCRIPTION OUT.1.gz
set -eu
command="$1" subcommand="$2" release="$3" description="$4" out="$5"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ "$subcommand" = "-" ]; then
    name="sonderlith"
    printf '#!/bin/sh\nexec "%s" "$@"\n' "$command" >"$work/$name"
else
    # The page of "sonderlith measure" is sonderlith-measure(1), as git's are.
    name="sonderlith-$subcommand"
    printf '#!/bin/sh\nexec "%s" %s "$@"\n' "$command" "$subcommand" >"$work/$name"
fi
chmod +x "$work/$name"
help2man --no-info --no-discard-stderr --section=1 --source="Sonderlith $release" --version-string="$release" \
    --name="$description" --output="$work/page.1" "$work/$name"
gzip -9n -c "$work/page.1" >"$out.part"
mv "$out.part" "$out"
