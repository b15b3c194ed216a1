# Prefix setup for no_fixed_drive_tests: drives C: and D: stop being fixed drives. Wine reads drive
# types once when its server session starts, so this edits the registry file of the stopped prefix.
set -eu
sed -i 's/^"d:"="hd"$/"c:"="network"\n"d:"="cdrom"/' "$1/system.reg"
grep -q '^"c:"="network"$' "$1/system.reg"
