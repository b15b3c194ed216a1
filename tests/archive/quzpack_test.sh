#!/usr/bin/env bash
# Round trips through the quzpack command line, run natively: both variants, a list file, the empty
# archive, the bytes of the header and of a GBK name. Damaged archives and unsafe names are the
# format, extraction and fuzz tests' part.
# Usage: quzpack_test.sh QUZPACK WORK_DIR
set -uo pipefail
quzpack=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# run COMMAND...: runs the command with its output in out.txt, which must succeed.
run() { "$@" >out.txt 2>err.txt || fail "'$*' exited with $?: $(head -c 400 err.txt)"; }
bytes_at() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
names_listed() { tail -n +3 out.txt | awk '{print $NF}' | tr '\n' ' '; }

# Inputs: text, a member of 1,882,706 bytes, GBK names, a name of exactly 15 bytes.
mkdir in
printf 'hello archive\n' >in/a.txt
seq 1 400000 | head -c 1882706 >in/big.dat
printf '冷色瓷面 skin' >in/冷色瓷面.quz
printf 'angel' >in/小天使.quz
printf 'fifteen' >in/abcdefghijk.txt

echo "== digest variant"
run "$quzpack" pack d.quz in/a.txt in/big.dat in/冷色瓷面.quz in/abcdefghijk.txt
size=$(stat -c %s d.quz)
[ "$(bytes_at d.quz 0 10)" = "5130$(printf '%08x' "$size" | sed 's/\(..\)\(..\)\(..\)\(..\)/\4\3\2\1/')04000000" ] ||
    fail "header: $(bytes_at d.quz 0 10) for $size bytes and 4 members"
run "$quzpack" verify d.quz
run "$quzpack" list d.quz
grep -qF "1882706" out.txt && grep -qF "$(md5sum <in/big.dat | cut -c1-32 | tr a-f A-F)" out.txt || fail "list: $(cat out.txt)"
[ "$(names_listed)" = "a.txt big.dat 冷色瓷面.quz abcdefghijk.txt " ] || fail "list order: $(cat out.txt)"
run "$quzpack" extract d.quz outd
for f in a.txt big.dat 冷色瓷面.quz abcdefghijk.txt; do cmp -s "in/$f" "outd/$f" || fail "extracted $f differs"; done

echo "== plain variant from a list file, and the empty archive"
printf 'in/小天使.quz\n\nin/a.txt\r\n' >members.lst
run "$quzpack" pack --plain p.quz @members.lst
[ "$(bytes_at p.quz 0 2)$(bytes_at p.quz 6 4)" = 515502000000 ] || fail "plain header: $(bytes_at p.quz 0 10)"
# The first name, stored in GBK and NUL-terminated.
[ "$(bytes_at p.quz 12 11)" = "$(printf '小天使.quz' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')00" ] ||
    fail "GBK name bytes: $(bytes_at p.quz 12 11)"
run "$quzpack" extract p.quz outp
cmp -s in/小天使.quz outp/小天使.quz && cmp -s in/a.txt outp/a.txt || fail "plain round trip differs"
run "$quzpack" pack e.quz
[ "$(bytes_at e.quz 0 20)" = 51300a00000000000000 ] || fail "empty archive bytes: $(bytes_at e.quz 0 20)"

if [ "$failures" -gt 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "all quzpack checks passed"
