#!/usr/bin/env bash
# The quzpack command line, run natively: both variants (the plain one from a list file with a blank
# line and a CRLF line), names one byte too long for their variant, the empty archive, the header bytes, a GBK name's bytes, the listing, and
# verify and extract round trips. The setup program reads what the packer makes in the install
# tests (the demo payload); damaged archives and unsafe names are the format and fuzz tests' part.
# Usage: quzpack_test.sh QUZPACK WORK_DIR
set -uo pipefail
quzpack=$(realpath "$1")
rm -rf "$2" && mkdir -p "$2/in" && cd "$2" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { "$@" >out.txt 2>err.txt || fail "'$*' exited with $?: $(head -c 400 err.txt)"; }
hex() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
le32() { printf '%08x' "$1" | sed 's/\(..\)\(..\)\(..\)\(..\)/\4\3\2\1/'; }

# Inputs: text, a member of 1,882,706 bytes (the payload's largest), GBK names, a name of exactly 15 bytes.
printf 'hello archive\r\n' >in/a.txt
seq 1 400000 | head -c 1882706 >in/big.dat
printf '冷色瓷面 skin' >in/冷色瓷面.quz
printf 'angel' >in/小天使.quz
printf 'fifteen' >in/abcdefghijk.txt
printf 'too long' | tee in/abcdefghijkl.txt >in/abcdefghij.txt   # 16 and 14 bytes: one more than each variant holds
printf 'in/小天使.quz\n\nin/a.txt\r\n' >plain.lst
run "$quzpack" pack d.quz in/a.txt in/big.dat in/冷色瓷面.quz in/abcdefghijk.txt
run "$quzpack" pack --plain p.quz @plain.lst
run "$quzpack" pack e.quz
"$quzpack" pack x.quz in/abcdefghijkl.txt 2>/dev/null && fail "a name of 16 bytes was packed"
"$quzpack" pack --plain x.quz in/abcdefghij.txt 2>/dev/null && fail "a name of 14 bytes was packed in the plain variant"

# Headers: marker, variant byte, total size and member count (little-endian).
[ "$(hex d.quz 0 10)" = "5130$(le32 "$(stat -c %s d.quz)")04000000" ] || fail "digest header: $(hex d.quz 0 10)"
[ "$(hex p.quz 0 2)$(hex p.quz 6 4)" = 515502000000 ] || fail "plain header: $(hex p.quz 0 10)"
[ "$(hex e.quz 0 20)" = 51300a00000000000000 ] || fail "empty archive: $(hex e.quz 0 20)"
# The first name of the list file, stored in GBK and NUL-terminated.
[ "$(hex p.quz 12 11)" = "$(printf '小天使.quz' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')00" ] ||
    fail "GBK name bytes: $(hex p.quz 12 11)"
run "$quzpack" list d.quz
[ "$(tail -n +3 out.txt | awk '{print $NF}' | tr '\n' ' ')" = "a.txt big.dat 冷色瓷面.quz abcdefghijk.txt " ] &&
    grep -qF 1882706 out.txt && grep -qF "$(md5sum <in/big.dat | cut -c1-32 | tr a-f A-F)" out.txt ||
    fail "list: $(cat out.txt)"
for archive in d p; do
    run "$quzpack" verify $archive.quz
    run "$quzpack" extract $archive.quz out$archive
    for f in out$archive/*; do cmp -s "$f" "in/${f#*/}" || fail "extracted $f differs"; done
done
[ "$(ls outd | wc -l) $(ls outp | wc -l)" = "4 2" ] || fail "extracted: $(ls outd outp)"
[ "$failures" = 0 ] || { echo "$failures failures"; exit 1; }
echo "all quzpack checks passed"
