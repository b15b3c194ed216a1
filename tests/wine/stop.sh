#!/usr/bin/env bash
# Shuts the Wine test environment of a build down (wineservers, Xvfb) and removes its prefixes.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
quor_init "$1"
quor_env_down
