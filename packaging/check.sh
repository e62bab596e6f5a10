#!/bin/sh
# Runs one desktop-integration checker for ctest:  check.sh TOOL ARGS...
# A missing checker is a skip (exit 77), not a failure, so a plain developer machine stays green;
# .ci/package.sh installs the checkers and runs them for real.
tool=$1
if ! command -v "$tool" >/dev/null 2>&1; then
    case $tool in
        desktop-file-validate) pkg=desktop-file-utils ;;
        appstreamcli) pkg=appstream ;;
        groff) pkg=groff-base ;;
        *) pkg=$tool ;;
    esac
    echo "skipped: $tool is not installed (Debian package $pkg)"
    exit 77
fi
if [ "$tool" = groff ] || [ "$tool" = desktop-file-validate ]; then
    # Both report warnings but still exit 0: any output at all is a failure.
    out=$("$@" 2>&1) || { printf '%s\n' "$out"; exit 1; }
    [ -z "$out" ] || { printf '%s\n' "$out"; exit 1; }
    exit 0
fi
exec "$@"
