#!/usr/bin/env bash
# The uninstaller each setup.exe carries is of its own architecture (the default builds and a
# package), and the package command end to end: a folder with one problem of each kind is refused,
# every problem named and nothing built; the demo members with a data member and a program changed
# and two files added are packed in order, installed silently in a fresh prefix and removed again by
# the uninstaller they carry; a second run gives the same programs.
# Usage: package_test.sh BUILD_DIR (the x86_64 test tree) HOST_DIR I686_SETUP. The package trees
# stay in BUILD_DIR/tests/package between runs, so that only the first run compiles them.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
quzpack=$2/tools/quzpack
trees=$build/tests/package
work=$build/tests/package_work
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
package() { QUOR_PACKAGE_BUILD=$trees bash "$root/scripts/dev.sh" package "$1" >out.txt 2>err.txt; }

# The archive inside a setup.exe: the first "Q0" header whose size fits and whose first record has
# its marker; then the architecture of its uninstaller.
payload_of() {
    local offset size
    for offset in $(grep -obUa Q0 "$1" | cut -d: -f1); do
        size=$(od -An -tu4 -j $((offset + 2)) -N 4 "$1" | tr -d ' ')
        [ $((offset + size)) -le "$(stat -c %s "$1")" ] &&
            [ "$(od -An -c -j $((offset + 10)) -N 2 "$1" | tr -d ' ')" = QF ] || continue
        tail -c +$((offset + 1)) "$1" | head -c "$size" >"$2"
        "$quzpack" verify "$2" >/dev/null || fail "the payload in $1 does not verify"
        rm -rf "$2.d" && "$quzpack" extract "$2" "$2.d" >/dev/null
        return
    done
    fail "no payload found in $1"
}
expect_uninstaller() {
    payload_of "$1" "$3.quz"
    x86_64-w64-mingw32-objdump -f "$3.quz.d/quordel8.exe" | grep -q "format $2\$" || fail "$1: quordel8.exe is not $2"
}
expect_uninstaller "$build/app/setup.exe" pei-x86-64 default64
expect_uninstaller "$3" pei-i386 default32

# One problem of each kind; nothing is built.
cp -a "$2/payload/members" bad && rm bad/quorel4.ime && mkdir bad/sub && : >bad/empty.txt
head -c 100 bad/quor320.ime >bad/quor320.ime.part && mv bad/quor320.ime.part bad/quor320.ime
printf x | tee bad/abcdefghijklmnop.txt bad/QUWBZG.TXT bad/'a?.txt' >/dev/null
head -c 2100000 /dev/zero >bad/big.dat
touch before
package bad && fail "a folder with problems was packed"
for problem in "/quorel4.ime: missing" "'abcdefghijklmnop.txt' takes 20 bytes in GBK" "/sub: a sub-directory" \
    "/quwbzg.txt: differs from QUWBZG.TXT only in letter case" "/empty.txt: is empty" \
    "/quor320.ime: carries no version text" "'a?.txt' cannot name a file on Windows" "/big.dat: has 2100000 bytes"; do
    grep -qF "$problem" err.txt || fail "not named: $problem"
done
[ "$(grep -c '^quzpack: .*/bad/' err.txt)" = 8 ] || fail "problems: $(cat err.txt)"
[ -z "$(find "$trees" -name setup.exe -newer before 2>/dev/null)" ] || fail "a refused folder built a setup.exe"

cp -a "$2/payload/members" good && printf x | tee -a good/quwbzg.txt good/quorel64.ime good/a.txt good/B.txt >/dev/null
package good || fail "package: $(cat err.txt)"
first=$(cat out.txt)
for arch in i686:pei-i386 x86_64:pei-x86-64; do
    read -r _ setup size _ count _ _ sha < <(grep "^${arch%%:*} " out.txt)
    [ "$size $count $sha" = "$(stat -c %s "$setup") 104 $(sha256sum <"$setup" | cut -c1-64)" ] || fail "$arch: $(cat out.txt)"
    expect_uninstaller "$setup" "${arch#*:}" "${arch%%:*}"
    cmp -s "${arch%%:*}.quz.d/quwbzg.txt" good/quwbzg.txt || fail "$arch: quwbzg.txt is not the folder's"
    [ "$("$quzpack" list "${arch%%:*}.quz" | tail -n 2 | awk '{print $NF}' | tr '\n' ' ')" = "B.txt a.txt " ] ||
        fail "$arch: the added files are not last in bytewise order"
    ! grep -qaF "$root" "$setup" || fail "$setup holds a build path"
done
package good && [ "$(cat out.txt)" = "$first" ] || fail "a second run differs: $(cat out.txt err.txt)"

# The x86_64 program installs the folder's bytes, and its uninstaller removes the added files too.
source "$root/tests/wine/env.sh"
quor_init "$build" && quor_env_up || exit 1
prefix=$(quor_fresh_prefix) || exit 1
trap 'quor_drop_prefix "$prefix"' EXIT
installed="$prefix/drive_c/Program Files/quorel8"
quor_wine "$prefix" "$(quor_winpath "$trees/x86_64/setup.exe")" setqusrf32 || fail "the silent install ended with $?"
for pair in quwbzg.txt:"$installed/quwbzg.txt" quorel64.ime:"$prefix/drive_c/windows/system32/quorel4.ime" \
    a.txt:"$installed/a.txt"; do
    cmp -s "good/${pair%%:*}" "${pair#*:}" || fail "${pair#*:} is not the folder's ${pair%%:*}"
done
quor_wine "$prefix" 'C:\windows\quordel8.exe' /S
[ "$?" = 0 ] && [ ! -e "$installed/a.txt" ] && [ ! -e "$installed/B.txt" ] || fail "the uninstaller left the added files"
[ "$failures" = 0 ] || { echo "$failures failures"; exit 1; }
echo "all package checks passed"
