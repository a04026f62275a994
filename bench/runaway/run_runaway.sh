#!/usr/bin/env bash
# Runaway documents against the built program: an endless PostScript loop, PDFs whose
# cross-reference stream is broken, a Flate bomb and a PostScript job that allocates without end.
# Each is viewed headless (/VIEW:) in a scratch home; with a conversion runner it is also
# converted. Every run is bounded by `timeout` and measured by GNU time; one line per run:
#   document  road  wall-s  gs-s  peak-RSS-MB  end
# gs-s is how long Ghostscript ran (its private temporary directory existed, sampled every 0.25 s);
# end says how the run ended and, when gdb is at hand, which message box was on screen. The
# viewer never ends by itself: its wall time includes the 2 s splash screen and the second of
# idleness after which the script closes it.
#
# usage: bench/runaway/run_runaway.sh QUILLORN_BINARY [CONVERT_RUNNER]
#   CONVERT_RUNNER INPUT pdf|png OUTPUT: a small program that makes one convert::runConversion
#   call, printing each message box as "BOX [title] prompt" and the outcome as "OUTCOME n".
# Needs GNU time, timeout and python3; gdb, when present, reads the box off the viewer.
# Environment: RUNAWAY_TIMEOUT (s, default 60), RUNAWAY_VMEM_KB (address-space cap per run,
# default 8000000, so that an allocation bomb cannot take the machine down), RUNAWAY_DOCS (the
# documents to run, by file name; default all).
set -euo pipefail
program=$(realpath "$1")
runner=${2:+$(realpath "$2")}
limit=${RUNAWAY_TIMEOUT:-60}
vmem=${RUNAWAY_VMEM_KB:-8000000}
root=$(mktemp -d "${TMPDIR:-/tmp}/runaway-XXXXXX")
trap 'rm -rf "$root"' EXIT
docs=$root/docs
mkdir -p "$docs"

python3 - "$docs" <<'EOF'
import sys, zlib
d = sys.argv[1]
open(f"{d}/loop.ps", "w").write("%!PS\n{} loop\n")
open(f"{d}/alloc.ps", "w").write("%!PS\n/a null def { /a [ a 1048576 string ] def } loop\n")

def pdf(name, content, filters, xref):
    """Objects 1-4 (catalog, pages, page, content), then the cross-reference stream from xref()."""
    out = bytearray(b"%PDF-1.5\n%\xe2\xe3\xcf\xd3\n")
    offs = [0]
    objs = [b"<< /Type /Catalog /Pages 2 0 R >>",
            b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>",
            b"<< /Length %d /Filter [%s] >>\nstream\n" % (len(content), filters) + content
            + b"\nendstream"]
    for i, body in enumerate(objs, 1):
        offs.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    start = len(out)
    rows = b"\x00\x00\x00\x00\xff\xff" + b"".join(b"\x01" + o.to_bytes(4, "big") + b"\x00"
                                                 for o in offs[1:])
    dict_, data = xref(zlib.compress(rows), start)
    out += b"5 0 obj\n<< /Type /XRef /W [1 4 1] /Root 1 0 R /Filter /FlateDecode " + dict_
    out += b" /Length %d >>\nstream\n" % len(data) + data + b"\nendstream\nendobj\n"
    out += b"startxref\n%d\n%%%%EOF\n" % start
    open(f"{d}/{name}", "wb").write(out)

box = zlib.compress(b"0 0 1 rg 20 20 60 60 re f\n")
pdf("xref-garbage.pdf", box, b"/FlateDecode",
    lambda rows, s: (b"/Size 6", bytes((i * 97 + 13) % 256 for i in range(len(rows)))))
pdf("xref-huge-size.pdf", box, b"/FlateDecode",
    lambda rows, s: (b"/Size 2147483647 /Index [0 2147483647]", rows))
pdf("xref-self-prev.pdf", box, b"/FlateDecode",
    lambda rows, s: (b"/Size 6 /Prev %d" % s, rows))

# 4 GiB of blanks, deflated twice: a content stream of a few kilobytes.
c = zlib.compressobj(9)
chunk = b" " * (64 << 20)
inner = b"".join(c.compress(chunk) for _ in range(64)) + c.flush()
pdf("flate-bomb.pdf", zlib.compress(inner, 9), b"/FlateDecode /FlateDecode",
    lambda rows, s: (b"/Size 6", rows))
EOF

# A scratch home in which the program finds the library and already owns .ps files, so start-up
# asks nothing and goes straight to the document.
scratch() {
    local s=$root/run-$1
    rm -rf "$s"
    mkdir -p "$s"/{home,config,data/applications,cache,tmp,runtime}
    chmod 700 "$s/runtime"
    printf '[Desktop Entry]\nType=Application\nName=Quillorn\nExec="%s" /VIEW:%%f\nMimeType=application/postscript;\n' \
        "$program" >"$s/data/applications/quillorn.desktop"
    printf '[Default Applications]\napplication/postscript=quillorn.desktop\n' >"$s/config/mimeapps.list"
    echo "$s"
}

# The beginning of the prompt of the message box the program is waiting in, if any.
box_on_screen() {
    command -v gdb >/dev/null || { echo "?"; return; }
    # shellcheck disable=SC2016 # gdb's value names, not the shell's
    gdb -batch -p "$1" -ex 'frame function quillorn::app::QtUserDialogs::ask' \
        -ex 'print *text.d.ptr@text.d.size' 2>/dev/null |
        sed -n 's/^\$1 = u"\(.\{1,60\}\).*/\1.../p' | head -1 || true
}

# run NAME ROAD COMMAND...: one bounded, measured run in a fresh scratch home.
run() {
    local name=$1 road=$2 s
    shift 2
    s=$(scratch "$name-$road")
    (
        ulimit -v "$vmem"
        exec env HOME="$s/home" XDG_CONFIG_HOME="$s/config" XDG_DATA_HOME="$s/data" \
            XDG_CACHE_HOME="$s/cache" XDG_RUNTIME_DIR="$s/runtime" TMPDIR="$s/tmp" \
            QT_QPA_PLATFORM=offscreen \
            time -v -o "$s/time.txt" timeout "$limit" "$@" </dev/null >"$s/out.txt" 2>&1
    ) &
    local watcher=$! pid="" t=0 gs_from="" gs_to="" box="" cpu="" idle=0 # t in quarter seconds
    while kill -0 "$watcher" 2>/dev/null; do
        [ -n "$pid" ] || pid=$(pgrep -P "$(pgrep -P "$watcher" -n || true)" -n 2>/dev/null || true)
        if compgen -G "$s/tmp/quillorn-gs-*" >/dev/null; then
            [ -n "$gs_from" ] || gs_from=$t
        elif [ -n "$gs_from" ] && [ -z "$gs_to" ]; then
            gs_to=$t
        fi
        # The viewer stays open once the page or a box is up: when it has used no processor
        # time for a second after the splash screen, look at what it shows, then close it.
        if [ "$road" = view ] && [ -n "$pid" ] && [ "$t" -ge 14 ]; then
            local now
            now=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || true)
            if [ -n "$now" ] && [ "$now" = "$cpu" ]; then idle=$((idle + 1)); else idle=0; fi
            cpu=$now
            if [ "$idle" -ge 4 ]; then
                box=$(box_on_screen "$pid")
                kill "$pid" 2>/dev/null || true
                break
            fi
        fi
        sleep 0.25
        t=$((t + 1))
    done
    wait "$watcher" || true
    local wall rss status end
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$s/time.txt")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$s/time.txt")
    status=$(sed -n 's/.*Command exited with non-zero status //p' "$s/time.txt")
    if [ "$status" = 124 ]; then
        end="killed by timeout after ${limit}s"
        gs_to=""
    elif [ "$road" = view ]; then
        end="render ended; box: ${box:-none, page shown}; closed by the script"
    else
        end="ended; $(grep -o 'BOX \[[^]]*\]' "$s/out.txt" | head -1 || true) $(grep -o 'OUTCOME [0-9]' "$s/out.txt" || true)"
    fi
    [ -z "$gs_from" ] || [ -n "$gs_to" ] || gs_to=$t
    local gs_s="<0.25"
    [ -z "$gs_from" ] || gs_s=$(awk "BEGIN { print ($gs_to - $gs_from) / 4 }")
    printf '%-18s %-5s %8s %6s %7s  %s\n' "$name" "$road" "$wall" \
        "$gs_s" \
        "$((${rss:-0} / 1024))" "$end"
}

printf '%-18s %-5s %8s %6s %7s  %s\n' document road wall gs-s RSS-MB end
for doc in ${RUNAWAY_DOCS:-loop.ps alloc.ps xref-garbage.pdf xref-huge-size.pdf xref-self-prev.pdf flate-bomb.pdf}; do
    run "$doc" view "$program" "/VIEW:$docs/$doc"
    if [ -n "$runner" ]; then
        run "$doc" pdf "$runner" "$docs/$doc" pdf "$root/out-$doc.pdf"
        run "$doc" png "$runner" "$docs/$doc" png "$root/out-$doc-%d.png"
    fi
done
