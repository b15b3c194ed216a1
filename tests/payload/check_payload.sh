#!/usr/bin/env bash
# Checks the payload archive the build embeds in setup.exe, independently of the setup program:
#   check_payload.sh QUZPACK PAYLOAD.quz MEMBERS.txt MEMBERS_DIR
# quzpack verify inflates every member and checks its digest; the listing must name exactly the
# members of the member list, in its order; each stored digest must equal the MD5 (by md5sum) of
# the file that was packed; the largest member is the one of 1,882,706 bytes; and the members that
# the setup program names or reads are there and in the form it relies on.
set -uo pipefail
quzpack=$1 payload=$2 member_list=$3 members_dir=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$quzpack" verify "$payload" || fail "quzpack verify rejects $payload"

listing=$("$quzpack" list "$payload") || fail "quzpack list rejects $payload"
header=$(head -n 1 <<<"$listing")
[[ $header == *"digest variant ('Q0'), 102 members"* ]] || fail "header: $header"
rows=$(tail -n +3 <<<"$listing")

# Names, in order.
expected=$(grep -v -E '^[[:space:]]*(#|$)' "$member_list" | awk '{print $1}')
actual=$(awk '{print $4}' <<<"$rows")
[ "$(wc -l <<<"$expected")" -eq 102 ] || fail "the member list does not hold 102 names"
if [ "$expected" != "$actual" ]; then
    fail "the archive's names differ from the member list:"
    diff <(echo "$expected") <(echo "$actual") >&2
fi

# Stored digests against the packed files; inflated sizes against the files' sizes.
while read -r compressed inflated digest name; do
    file="$members_dir/$name"
    [ -f "$file" ] || { fail "$name: no packed file $file"; continue; }
    sum=$(md5sum "$file" | awk '{print toupper($1)}')
    [ "$sum" = "$digest" ] || fail "$name: stored digest $digest, file digest $sum"
    size=$(stat -c %s "$file")
    [ "$size" = "$inflated" ] || fail "$name: inflates to $inflated bytes, the file has $size"
    [ "$inflated" -gt 0 ] 2>/dev/null || fail "$name: empty member"
done <<<"$rows"

# The largest member inflates to exactly 1,882,706 bytes, and only one member does.
largest=$(awk '{print $2}' <<<"$rows" | sort -n | tail -n 2)
[ "$(tail -n 1 <<<"$largest")" = 1882706 ] || fail "largest member is $(tail -n 1 <<<"$largest") bytes, not 1882706"
[ "$(head -n 1 <<<"$largest")" -lt 1882706 ] || fail "more than one member of the largest size"

# Members the setup program names or reads: programs, pictures, skins, phrase libraries and
# settings, and the files its backup of earlier data takes.
required="quorel4.ime quorel64.ime quor320.ime quor321.ime quor640.ime quor641.ime quorsrf.dll
    quorsrf6.dll qsrf732.dll qsrf764.dll setupw64.exe quortavo.exe quortav6.exe quordel8.exe qrjcdir.exe
    tavo1.bmp qubmps44.bmp 冷色瓷面.quz 粉色瓷面.quz 小天使.quz qxfc.quz quorcyzk.quh quorcyzk.bak
    quorpyck.quh quorpyck.bak quszsj43.quh qfontset.quh qwbzlcz1.quh quwbcmxz.quh qudhzcm.quh
    quordhz.quh qugbkhz.quh quordwdw.txt quorzdym.quh qupyzdym.quh quwbpy.txt quorynhz.txt
    quorzdfh.quh userck.txt delck.txt ftquzdym.txt ftpyzdym.txt quorpymb.ov1 qugbkbh.quh
    quszsj05.quh quszsj06.quh"
for name in $required; do
    grep -qx -- "$name" <<<"$actual" || fail "$name is missing from the payload"
done

# Skin archives: three of the plain variant and qxfc.quz of the digest variant, each of the eight
# skin files, small enough for the 128 KiB the setup program reads of a skin archive.
skin_names=$'qubmp8.quh\nqubmpsx1.bmp\nqubmpsx2.bmp\nqubmpsx3.bmp\nqubmpsx4.bmp\nqubmpsx5.bmp\nqubmpsx6.bmp\nqubmpsx7.bmp'
for skin in 冷色瓷面.quz:QU 粉色瓷面.quz:QU 小天使.quz:QU qxfc.quz:Q0; do
    name=${skin%:*} kind=${skin#*:}
    file="$members_dir/$name"
    skin_listing=$("$quzpack" list "$file") || { fail "$name: quzpack list rejects it"; continue; }
    [[ $(head -n 1 <<<"$skin_listing") == *"('$kind'), 8 members"* ]] || fail "$name: $(head -n 1 <<<"$skin_listing")"
    [ "$(tail -n +3 <<<"$skin_listing" | awk '{print $4}')" = "$skin_names" ] || fail "$name: not the eight skin files"
    "$quzpack" verify "$file" >/dev/null || fail "$name: quzpack verify rejects it"
    [ "$(stat -c %s "$file")" -le 131072 ] || fail "$name: larger than 128 KiB"
done

# The first page's picture: 401 x 310, 24 bits per pixel, 373,296 bytes.
picture="$members_dir/tavo1.bmp"
read -r magic < <(head -c 2 "$picture")
[ "$magic" = BM ] || fail "tavo1.bmp is not a BMP file"
geometry=$(od -An -tu4 -j18 -N8 "$picture" | tr -s ' ')
bits=$(od -An -tu2 -j28 -N2 "$picture" | tr -d ' ')
[ "$geometry" = " 401 310" ] && [ "$bits" = 24 ] || fail "tavo1.bmp is${geometry} at $bits bits"
[ "$(stat -c %s "$picture")" = 373296 ] || fail "tavo1.bmp is not 373,296 bytes"

if [ "$failures" -gt 0 ]; then
    echo "$failures problems in $payload" >&2
    exit 1
fi
echo "payload checked: 102 members, digests match, skins and pictures in shape"
