#!/usr/bin/env bash
# Fails when a folder of the program includes a folder of its own layer or of a layer above it.
# Layers from the bottom: common; platform; the subsystems side by side (archive, deploy, register,
# detect, settings); the orchestration (install, and the uninstaller); app on top.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case "$1" in
        common) echo 0 ;;
        platform) echo 1 ;;
        archive | deploy | register | detect | settings) echo 2 ;;
        install | uninstall) echo 3 ;;
        app) echo 4 ;;
        *) echo "" ;;
    esac
}

status=0
checked=0
while IFS= read -r file; do
    from=${file%%/*}
    fromRank=$(rank "$from")
    checked=$((checked + 1))
    while IFS= read -r to; do
        [ "$to" = "$from" ] && continue
        toRank=$(rank "$to")
        if [ -z "$toRank" ] || [ "$toRank" -ge "$fromRank" ]; then
            echo "layering: $file includes $to/, which is not below $from/"
            status=1
        fi
    done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[A-Za-z0-9_]+/' "$file" | sed -E 's/.*"//; s/\/$//')
done < <(find common platform archive deploy register detect settings install uninstall app \
              -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)

[ "$checked" -gt 0 ] || { echo "layering: no source files found"; exit 1; }
[ "$status" -eq 0 ] && echo "layering: $checked files, every include points down"
exit "$status"
