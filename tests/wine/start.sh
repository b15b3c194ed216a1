#!/usr/bin/env bash
# Brings the Wine test environment of a build up: start.sh BUILD_DIR.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
quor_init "$1"
quor_env_up
