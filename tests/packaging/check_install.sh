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
need libexec/quillorn/quillorn-viewer
need share/applications/org.quillorn.Quillorn.desktop
need share/metainfo/org.quillorn.Quillorn.metainfo.xml
need share/man/man1/quillorn.1
need share/icons/hicolor/scalable/apps/quillorn.svg
need bin/quillorn-thumbnailer
need share/thumbnailers/quillorn.thumbnailer
need share/bash-completion/completions/quillorn
for size in 16 32 48 256; do need "share/icons/hicolor/${size}x${size}/apps/quillorn.png"; done

desktop-file-validate "$stage/usr/share/applications/org.quillorn.Quillorn.desktop" || fail=1
appstreamcli validate --no-net --pedantic "$stage/usr/share/metainfo/org.quillorn.Quillorn.metainfo.xml" || fail=1
# The manual page documents the command-line switches and print jobs on standard input.
for word in '/VIEW:' '/CONVERT:' 'groff .*| quillorn' 'Escape' 'QUILLORN_MEMORY_LIMIT_MB' \
    '\\-\\-convert' '\\-\\-force' 'quillorn\\-thumbnailer' 'QT_LOGGING_RULES'; do
    grep -q -- "$word" "$stage/usr/share/man/man1/quillorn.1" || { echo "manual page lacks $word"; fail=1; }
done

# The thumbnailer's types are ones the desktop knows, and the installed thumbnailer finds its
# worker and draws.
thumbnailer=$stage/usr/share/thumbnailers/quillorn.thumbnailer
grep -q '^Exec=quillorn-thumbnailer -s %s %u %o$' "$thumbnailer" || { echo "thumbnailer Exec line"; fail=1; }
if [ -d /usr/share/mime ]; then
    for type in $(sed -n 's/^MimeType=//p' "$thumbnailer" | tr ';' ' '); do
        [ -e "/usr/share/mime/$type.xml" ] || { echo "unknown type in the thumbnailer: $type"; fail=1; }
    done
fi
printf '%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 40 20\n0 0 40 20 rectfill\n' >"$stage/small.eps"
HOME=$stage TMPDIR=$stage "$stage/usr/bin/quillorn-thumbnailer" -s 32 "file://$stage/small.eps" "$stage/small.png" &&
    [ "$(head -c 4 "$stage/small.png" | tail -c 3)" = PNG ] || { echo "the installed thumbnailer draws nothing"; fail=1; }

# The completion offers the conversion's options.
completion=$stage/usr/share/bash-completion/completions/quillorn
offered=$(bash -c 'shopt -s extglob; source "$1"; COMP_WORDS=(quillorn --convert a.ps --fo); COMP_CWORD=3
    _quillorn 2>/dev/null; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$offered" = "--format --force" ] || { echo "completion offers: $offered"; fail=1; }
[ $fail -eq 0 ] && echo "install: ok"
exit $fail
