# What every run-*.sh script here starts with, as its first command:
#     . "$(dirname "$0")/preamble.sh"
# The script stops at the first command that fails and at a variable that is
# not set, finds the files beside it in $here, and runs the Windows builds'
# programs with wine.sh. ./quillet sources wine.sh alone: this file takes
# $0 for a test script's path and names it in the usage.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine.sh"

# usage ARGUMENTS...: ends the script, which was not given ARGUMENTS.
usage() {
    echo "usage: $0 $*" >&2
    exit 2
}
