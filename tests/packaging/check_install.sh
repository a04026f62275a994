#!/usr/bin/env bash
# Installs the build into a staging directory and checks what a desktop needs from it.
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null

fail=0
need() { [ -e "$stage/usr/$1" ] || { echo "missing: /usr/$1"; fail=1; }; }
need bin/quillorn
need libexec/quillorn/quillorn-gs
need share/applications/org.quillorn.Quillorn.desktop
need share/metainfo/org.quillorn.Quillorn.metainfo.xml
need share/man/man1/quillorn.1
need share/icons/hicolor/scalable/apps/quillorn.svg
for size in 16 32 48 256; do need "share/icons/hicolor/${size}x${size}/apps/quillorn.png"; done

desktop-file-validate "$stage/usr/share/applications/org.quillorn.Quillorn.desktop" || fail=1
appstreamcli validate --no-net --pedantic "$stage/usr/share/metainfo/org.quillorn.Quillorn.metainfo.xml" || fail=1
# The manual page documents the command-line switches and print jobs on standard input.
for word in '/VIEW:' '/CONVERT:' 'groff .*| quillorn' 'Escape' 'QUILLORN_MEMORY_LIMIT_MB' 'QT_LOGGING_RULES'; do
    grep -q -- "$word" "$stage/usr/share/man/man1/quillorn.1" || { echo "manual page lacks $word"; fail=1; }
done
[ $fail -eq 0 ] && echo "install: ok"
exit $fail
