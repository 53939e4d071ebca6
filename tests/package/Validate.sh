#!/bin/sh
# Runs a validator on a file, or skips the test when it is not installed.
#   Validate.sh TOOL [ARGUMENTS...] FILE
command -v "$1" > /dev/null || { echo "SKIP: $1 is not installed"; exit 77; }
exec "$@"
