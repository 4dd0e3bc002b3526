#!/usr/bin/env bash
# kelmor-cli create, then info, with the logon given as options and through the environment.
set -euo pipefail
cli="$1"
dir="$(mktemp -d /tmp/kelmorcliXXXXXX)"
trap 'rm -rf "$dir"' EXIT

"$cli" create "$dir/stock" --user admin --password secret
[ -f "$dir/stock.idx" ] && [ -f "$dir/stock.dat" ] && [ ! -f "$dir/stock.blb" ]

out="$("$cli" info "$dir/stock.idx" --user ADMIN --password SECRET)"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 15 ]
printf '%s\n' "$out" | grep -qx $'Last revision saved\t25'

out="$(KELMOR_USER=admin KELMOR_PASSWORD=secret "$cli" info "$dir/stock")"
printf '%s\n' "$out" | grep -qx $'Security Type\t1'

if KELMOR_USER=admin KELMOR_PASSWORD=wrong "$cli" info "$dir/stock" 2>"$dir/err"; then exit 1; fi
grep -q "Incorrect Username or Password." "$dir/err"
# a second create is refused and changes nothing; --replace makes a new database
before="$(cksum < "$dir/stock.idx")"
status=0; "$cli" create "$dir/stock" --user other 2>"$dir/err" || status=$?
[ "$status" -eq 1 ]
grep -qx "$dir/stock.idx already exists (--replace replaces the database)" "$dir/err"
[ "$(cksum < "$dir/stock.idx")" = "$before" ]
"$cli" create "$dir/stock" --replace --user other --password x
"$cli" info "$dir/stock" --user other --password x >/dev/null

# without a user name: a command-line error that leaves no file
status=0; env -u KELMOR_USER "$cli" create "$dir/fresh" 2>"$dir/err" || status=$?
[ "$status" -eq 2 ]
[ -z "$(find "$dir" -name 'fresh*')" ]
echo "create and info: ok"
