#!/usr/bin/env bash
# Checks of the quzpack command line, run natively: round trips of both variants, refused names and
# files, damaged archives, unsafe member names on extraction, and the exit statuses.
# Usage: quzpack_test.sh QUZPACK WORK_DIR
set -uo pipefail
quzpack=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs the command, keeps its output in out.txt/err.txt, checks the status.
expect() {
    local want=$1
    shift
    "$@" >out.txt 2>err.txt
    local got=$?
    [ "$got" = "$want" ] || fail "'$*' exited with $got, expected $want; stderr: $(head -c 400 err.txt)"
}
expect_err() { grep -qF -- "$1" err.txt || fail "stderr lacks '$1': $(head -c 400 err.txt)"; }
expect_out() { grep -qF -- "$1" out.txt || fail "stdout lacks '$1': $(head -c 400 out.txt)"; }
bytes_at() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
u32_at() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
# record_offset FILE N: offset of the N-th record (from 0) of a digest-variant archive.
record_offset() {
    local offset=10 i
    for ((i = 0; i < $2; i++)); do offset=$((offset + 56 + $(u32_at "$1" $((offset + 52))))); done
    echo "$offset"
}
# patch FILE OFFSET PRINTF-TEXT: overwrites bytes in place.
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# Inputs: text, a member of 1,882,706 bytes, GBK names, a name of exactly 15 bytes.
mkdir in
printf 'hello archive\n' >in/a.txt
seq 1 400000 | head -c 1882706 >in/big.dat
printf '冷色瓷面 skin' >in/冷色瓷面.quz
printf 'angel' >in/小天使.quz
printf 'fifteen' >in/abcdefghijk.txt   # 15 bytes

echo "== round trip, digest variant"
expect 0 "$quzpack" pack d.quz in/a.txt in/big.dat in/冷色瓷面.quz in/abcdefghijk.txt
[ "$(bytes_at d.quz 0 2)" = 5130 ] || fail "digest archive does not begin with Q0"
[ "$(bytes_at d.quz 6 4)" = 04000000 ] || fail "digest archive count is not 4"
size=$(stat -c %s d.quz)
[ "$(bytes_at d.quz 2 4)" = "$(printf '%08x' "$size" | sed 's/\(..\)\(..\)\(..\)\(..\)/\4\3\2\1/')" ] ||
    fail "total size field differs from the file size $size"
[ "$(bytes_at d.quz 12 6)" = 612e74787400 ] || fail "first member name is not a.txt"
expect 0 "$quzpack" verify d.quz
expect_out "4 members verified"
expect 0 "$quzpack" list d.quz
expect_out "1882706"
expect_out "冷色瓷面.quz"
expect_out "$(md5sum <in/big.dat | cut -c1-32 | tr a-f A-F)"
[ "$(sed -n '3p;4p;5p;6p' out.txt | awk '{print $NF}' | tr '\n' ' ')" = "a.txt big.dat 冷色瓷面.quz abcdefghijk.txt " ] ||
    fail "list does not keep the packing order: $(cat out.txt)"
expect 0 "$quzpack" extract d.quz outd
for f in a.txt big.dat 冷色瓷面.quz abcdefghijk.txt; do cmp -s "in/$f" "outd/$f" || fail "extracted $f differs"; done
# The name is stored in GBK, NUL-terminated.
[ "$(bytes_at d.quz $(($(record_offset d.quz 2) + 2)) 13)" = \
  "$(printf '冷色瓷面.quz' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')00" ] ||
    fail "GBK name bytes differ"

echo "== round trip, plain variant and list files"
printf 'in/小天使.quz\n\nin/a.txt\r\n' >members.lst
expect 0 "$quzpack" pack --plain p.quz @members.lst
[ "$(bytes_at p.quz 0 2)" = 5155 ] || fail "plain archive does not begin with QU"
[ "$(bytes_at p.quz 6 4)" = 02000000 ] || fail "plain archive count is not 2 (empty line packed?)"
expect 0 "$quzpack" list p.quz
[ "$(sed -n '3p;4p' out.txt | awk '{print $NF}' | tr '\n' ' ')" = "小天使.quz a.txt " ] || fail "list file order lost"
expect 0 "$quzpack" verify p.quz
expect 0 "$quzpack" extract p.quz outp
cmp -s in/小天使.quz outp/小天使.quz && cmp -s in/a.txt outp/a.txt || fail "plain round trip differs"
expect 1 "$quzpack" pack x.quz @missing.lst
expect_err "missing.lst"

echo "== empty archive"
expect 0 "$quzpack" pack e.quz
[ "$(bytes_at e.quz 0 10)" = 51300a00000000000000 ] || fail "empty archive bytes: $(bytes_at e.quz 0 20)"
expect 0 "$quzpack" verify e.quz
expect 0 "$quzpack" extract e.quz oute

echo "== names and files that cannot be packed (nothing is written)"
mkdir bad bad/dup
printf 'x' >bad/abcdefghijkl.txt        # 16 bytes
printf 'x' >bad/abcdefghi.txt           # 13 bytes: fits the plain variant
printf 'x' >bad/abcdefghij.txt          # 14 bytes: does not
printf 'x' >bad/一二三四五六七八         # 16 bytes in GBK, 8 characters
printf 'x' >bad/한국.txt
printf 'x' >bad/乗.txt                  # GBK 81 5C: a backslash byte
printf 'x' >bad/con.txt
printf 'x' >bad/a..b
: >bad/empty.txt
printf 'x' >bad/dup/a.txt
printf 'x' >bad/dup/A.TXT
head -c 2097009 /dev/zero >bad/huge.bin
head -c 1965937 /dev/zero >bad/skinhuge.bin   # too large for an archive read from a file
while IFS='|' read -r args want; do
    rm -f x.quz
    # shellcheck disable=SC2086
    expect 1 "$quzpack" pack $args
    expect_err "$want"
    [ -e x.quz ] && fail "pack $args left an archive behind"
    [ -e x.quz.tmp ] && fail "pack $args left a temporary file behind"
done <<'LIST'
x.quz bad/abcdefghijkl.txt|bad/abcdefghijkl.txt: member name 'abcdefghijkl.txt' takes 16 bytes in GBK; the digest variant holds at most 15
--plain x.quz bad/abcdefghij.txt|bad/abcdefghij.txt: member name 'abcdefghij.txt' takes 14 bytes in GBK; the plain variant holds at most 13
x.quz bad/一二三四五六七八|takes 16 bytes in GBK
x.quz bad/한국.txt|bad/한국.txt: member name '한국.txt' cannot be written in GBK
x.quz bad/乗.txt|bad/乗.txt: member name '乗.txt' cannot be used
x.quz bad/con.txt|device name
x.quz bad/a..b|'..'
x.quz bad/empty.txt|0 bytes
x.quz bad/huge.bin|at most 2097008
--plain x.quz bad/skinhuge.bin|at most 1965936
--plain x.quz in/big.dat|plain-variant archive files of at most 131072
x.quz in/a.txt bad/dup/a.txt|bad/dup/a.txt: member 'a.txt' is already packed from in/a.txt
x.quz in/a.txt bad/dup/A.TXT|bad/dup/A.TXT: member 'A.TXT' is already packed from in/a.txt
x.quz in/a.txt bad/nothere.txt|bad/nothere.txt: cannot be read
LIST
expect 0 "$quzpack" pack --plain x.quz bad/abcdefghi.txt

echo "== damaged archives"
damaged() { cp d.quz "$1"; }
first_digest=28
damaged lower.quz
patch lower.quz $first_digest "$(md5sum <in/a.txt | cut -c1-32)"
expect 1 "$quzpack" verify lower.quz
expect_err "lower.quz: member 'a.txt': digest mismatch"
damaged flipped.quz
patch flipped.quz $first_digest "0"
expect 1 "$quzpack" verify flipped.quz
expect_err "member 'a.txt': digest mismatch"
expect 1 "$quzpack" extract flipped.quz outf
[ -e outf/a.txt ] && fail "a member with a wrong digest was extracted"
[ -e outf/big.dat ] || fail "the members after a failed one were not extracted"
head -c $((size - 5)) d.quz >cut.quz
expect 1 "$quzpack" verify cut.quz
expect_err "member 'abcdefghijk.txt' (record 4 of 4) runs past the end of the archive"
expect 1 "$quzpack" list cut.quz
damaged count.quz
patch count.quz 6 '\005'
expect 1 "$quzpack" verify count.quz
expect_err "the archive ends after 4 of 5 members"
damaged total.quz
patch total.quz 2 '\001'
expect 1 "$quzpack" verify total.quz
expect_err "total size"
damaged trailing.quz
printf 'junk' >>trailing.quz
expect 1 "$quzpack" verify trailing.quz
expect_err "4 bytes follow the last member"
damaged marker.quz
second=$(record_offset d.quz 1)
patch marker.quz "$second" 'XX'
expect 1 "$quzpack" verify marker.quz
expect_err "no 'QF' marker at offset $second (record 2 of 4)"
printf 'Q0\001' >short.quz
expect 1 "$quzpack" verify short.quz
expect_err "not an archive"
expect 1 "$quzpack" verify nothere.quz

echo "== unsafe member names on extraction"
mkdir -p safe
for name in '../esc.txt' 'sub\\esc.txt' 'c:esc.txt' '/tmp/esc' 'nul'; do
    damaged unsafe.quz
    patch unsafe.quz 12 "$name\\000"
    rm -rf safe/out
    expect 1 "$quzpack" extract unsafe.quz safe/out
    expect_err "unsafe.quz: member '"
    [ -e safe/esc.txt ] || [ -e esc.txt ] || [ -e /tmp/esc ] && fail "member '$name' escaped its directory"
    [ -e safe/out/big.dat ] || fail "member '$name' stopped the other members"
    expect 1 "$quzpack" verify unsafe.quz
done
damaged unterminated.quz
patch unterminated.quz 12 'abcdefghijklmnop'
expect 1 "$quzpack" verify unterminated.quz
expect_err "not terminated"
rm -rf link && mkdir link && ln -s ../victim.txt link/a.txt && printf 'keep' >victim.txt
expect 1 "$quzpack" extract d.quz link
[ "$(cat victim.txt)" = keep ] || fail "extract followed a symbolic link"

echo "== usage"
expect 2 "$quzpack"
expect_err "usage:"
expect 2 "$quzpack" frobnicate
expect 2 "$quzpack" pack
expect 2 "$quzpack" pack --plain
expect 2 "$quzpack" pack --zip x.quz in/a.txt
expect 2 "$quzpack" list
expect 2 "$quzpack" list a b
expect 2 "$quzpack" verify
expect 2 "$quzpack" extract d.quz
expect 0 "$quzpack" --help
expect_out "quzpack pack [--plain] OUT.quz @LIST"
expect 0 "$quzpack" list --help

if [ "$failures" -gt 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "all quzpack checks passed"
