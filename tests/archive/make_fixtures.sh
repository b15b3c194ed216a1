#!/usr/bin/env bash
# Makes the archives that the extraction tests unpack, with the packer itself: the files in
# DIR/inputs and the archives DIR/digest.quz, DIR/plain.quz and DIR/empty.quz.
# Usage: make_fixtures.sh QUZPACK DIR
set -euo pipefail
quzpack=$(realpath "$1")
dir=$2
rm -rf "$dir"
mkdir -p "$dir/inputs"
cd "$dir/inputs"
printf 'plain text member\r\n' >readme.txt
head -c 1882706 < <(seq 1 400000) >qubig.dat         # the size of the payload's largest member
printf 'cool porcelain skin' >冷色瓷面.quz
printf 'little angel skin' >小天使.quz
printf 'a name of fifteen bytes' >abcdefghijk.txt   # 15 bytes: the digest variant's longest
cd ..
"$quzpack" pack digest.quz inputs/readme.txt inputs/qubig.dat inputs/冷色瓷面.quz inputs/小天使.quz \
    inputs/abcdefghijk.txt >/dev/null
"$quzpack" pack --plain plain.quz inputs/readme.txt inputs/冷色瓷面.quz inputs/小天使.quz >/dev/null
"$quzpack" pack empty.quz >/dev/null
