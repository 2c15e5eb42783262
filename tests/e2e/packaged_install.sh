#!/bin/bash
# windows_family's install, of the game in E2E_GAME, for a program that
# scripts/package.sh built (signed, for one) rather than the sample's.
exec bash "$(dirname "$0")/windows_family.sh"
