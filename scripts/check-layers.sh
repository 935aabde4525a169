#!/usr/bin/env bash
# Fails when a source file includes a header its layer may not see:
#  - logic folders (below, without their ui/ subfolders) use Qt Core only: no Qt Widgets,
#    Gui, WebEngine or any other Qt module, no libcurl, no SQLite, nothing from
#    platform/, cli/ or a ui/ folder, and only the logic folders listed as below them;
#  - platform/ includes no ui/, cli/ or compose/ header, and platform/ itself nothing from
#    platform/webengine/ or platform/curl/ (modules loaded at run time), nor does one of
#    those modules include the other;
#  - compose/ (the services the window and the command line are built with) includes
#    the logic folders and platform/, no ui/ or cli/ header, and reaches platform/curl/
#    and platform/webengine/ only through their loaders and interfaces, as platform/ does;
#  - pictures/ (measuring and thumbnails, over Qt Gui's image readers) includes the
#    logic folders and itself only: no platform/, compose/, cli/ or ui/ header;
#  - a ui/ folder other than app/ui includes nothing from app/ui or cli/;
#  - cli/ reaches the browser engine through IBrowserEngine only (it loads the module
#    for a harvest), never platform/webengine/.
# Usage: scripts/check-layers.sh [QT_HEADERS_DIR] (default: from qmake6)
set -euo pipefail
cd "$(dirname "$0")/.."

qt_headers="${1:-}"
if [[ -z "$qt_headers" ]]; then
    qt_headers="$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || true)"
fi
if [[ ! -d "$qt_headers/QtCore" ]]; then
    echo "check-layers: Qt headers not found (give the folder holding QtCore)" >&2
    exit 2
fi

# What each logic folder may include besides Qt Core and the standard library: itself
# and the folders below it.
declare -A below=(
    [core]="core"
    [settings]="core settings"
    [listops]="core listops"
    [filters]="core settings filters"
    [winsupport]="core settings winsupport"
    [builders]="core settings filters listops winsupport builders"
    [viewer]="core settings filters listops winsupport builders viewer"
    [download]="core settings filters listops winsupport builders viewer download"
    [crawl]="core settings filters listops winsupport builders viewer download crawl"
    [app]="core settings filters listops winsupport builders viewer download crawl app"
)

declare -A module_of=()
# The Qt module that provides an angle-bracket header, or nothing for other headers.
qt_module() {
    local header="$1"
    if [[ -n "${module_of[$header]+set}" ]]; then
        printf '%s' "${module_of[$header]}"
        return
    fi
    local module=""
    if [[ "$header" == Qt*/* && -d "$qt_headers/${header%%/*}" ]]; then
        module="${header%%/*}"
    elif [[ "$header" != */* ]]; then
        if [[ -e "$qt_headers/QtCore/$header" ]]; then
            module=QtCore
        else
            local found
            for found in "$qt_headers"/Qt*/"$header"; do
                [[ -e "$found" ]] && module="$(basename "$(dirname "$found")")" && break
            done
        fi
    fi
    module_of[$header]="$module"
    printf '%s' "$module"
}

failures=0
fail() {
    echo "$1: $2"
    failures=$((failures + 1))
}

while IFS= read -r file; do
    rel="${file#src/}"
    folder="${rel%%/*}"
    [[ "$rel" == */* ]] || continue # main.cpp
    in_ui=false
    [[ "$rel" == */ui/* ]] && in_ui=true
    logic=false
    [[ -n "${below[$folder]+set}" && $in_ui == false ]] && logic=true

    while IFS= read -r line; do
        number="${line%%:*}"
        text="${line#*:}"
        where="$file:$number"
        if [[ "$text" =~ \#include[[:space:]]*\<([^>]+)\> ]]; then
            header="${BASH_REMATCH[1]}"
            $logic || continue
            if [[ "$header" == curl/* ]]; then
                fail "$where" "<$header>: $folder is logic and may not use libcurl"
            elif [[ "$header" == sqlite3.h ]]; then
                fail "$where" "<$header>: $folder is logic and may not use SQLite"
            else
                module="$(qt_module "$header")"
                if [[ -n "$module" && "$module" != QtCore ]]; then
                    fail "$where" "<$header>: $folder is logic and may use Qt Core only ($header is in $module)"
                fi
            fi
        elif [[ "$text" =~ \#include[[:space:]]*\"([^\"]+)\" ]]; then
            header="${BASH_REMATCH[1]}"
            target="${header%%/*}"
            [[ "$header" == */* ]] || continue
            if $logic; then
                if [[ "$header" == */ui/* || "$target" == platform || "$target" == cli ]]; then
                    fail "$where" "\"$header\": $folder is logic and may not include $target/${header#*/} (platform, cli and ui/ headers sit above the logic)"
                elif [[ " ${below[$folder]} " != *" $target "* ]]; then
                    fail "$where" "\"$header\": $folder may include only ${below[$folder]} ($target is not below it)"
                fi
            elif [[ "$folder" == platform ]]; then
                if [[ "$header" == */ui/* || "$target" == cli || "$target" == compose ]]; then
                    fail "$where" "\"$header\": platform may not include window, command-line or composition headers"
                elif [[ "$rel" != platform/webengine/* && "$header" == platform/webengine/* ]]; then
                    fail "$where" "\"$header\": the browser engine is a module loaded at run time; platform reaches it through IBrowserEngine only"
                elif [[ "$rel" != platform/curl/* && "$header" == platform/curl/* ]]; then
                    fail "$where" "\"$header\": the transfers are a module loaded at run time; platform reaches them through ITransferModule only"
                fi
            elif [[ "$folder" == compose ]]; then
                if [[ "$header" == */ui/* || "$target" == cli ]]; then
                    fail "$where" "\"$header\": compose builds services below the window and the command line; it may not include their headers"
                elif [[ "$header" == platform/webengine/* || "$header" == platform/curl/* ]]; then
                    fail "$where" "\"$header\": compose reaches the run-time modules through their loaders and interfaces only"
                fi
            elif [[ "$folder" == pictures && $in_ui == false ]]; then
                if [[ "$header" == */ui/* || "$target" == platform || "$target" == compose || "$target" == cli ]]; then
                    fail "$where" "\"$header\": pictures sits on the logic and may include only logic folders and itself"
                fi
            elif [[ "$folder" == cli && "$header" == platform/webengine/* ]]; then
                fail "$where" "\"$header\": the command-line tool loads the browser engine as a module; it reaches it through IBrowserEngine only"
            elif $in_ui && [[ "$rel" != app/ui/* ]]; then
                if [[ "$header" == app/ui/* || "$target" == cli ]]; then
                    fail "$where" "\"$header\": $folder/ui may not include the main window's folder or the command-line tool"
                fi
            fi
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

if ((failures > 0)); then
    echo "$failures include(s) cross a layer boundary" >&2
    exit 1
fi
echo "every include respects the layers"
