#!/usr/bin/env bash
# Checks the payload archive the build embeds in setup.exe, independently of the setup program:
#   check_payload.sh QUZPACK PAYLOAD.quz MEMBERS.txt
# quzpack verify inflates every member and checks its digest; the listing must name exactly the 102
# members of the member list, in its order.
set -uo pipefail
quzpack=$1 payload=$2 member_list=$3
"$quzpack" verify "$payload" || { echo "FAIL: quzpack verify rejects $payload" >&2; exit 1; }
expected=$(grep -v -E '^[[:space:]]*(#|$)' "$member_list" | awk '{print $1}')
actual=$("$quzpack" list "$payload" | tail -n +3 | awk '{print $4}')
if [ "$(wc -l <<<"$actual")" != 102 ] || [ "$expected" != "$actual" ]; then
    echo "FAIL: the archive's names differ from the 102 of the member list:" >&2
    diff <(echo "$expected") <(echo "$actual") >&2
    exit 1
fi
echo "payload checked: 102 members in the member list's order, digests match"
