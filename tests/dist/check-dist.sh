#!/usr/bin/env bash
# Checks what "cmake --install" puts in place, each file with its own tool.
#   check-dist.sh install    SOURCE BUILD  install into a temporary prefix and validate
#   check-dist.sh manpages   SOURCE BUILD  every command and option of --help is in the manual
#   check-dist.sh completion SOURCE BUILD  bash completes commands, options and arguments,
#                                          each command's options as its --help lists them
set -euo pipefail
mode=$1 source=$2 build=$3
id=example.corvidlantern.Quillmarch
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

check_install() {
  prefix=$(mktemp -d)
  trap 'rm -rf "$prefix"' EXIT
  cmake --install "$build" --prefix "$prefix" >/dev/null
  local share=$prefix/share
  for f in bin/quillmarch bin/quillmarch-cli lib/quillmarch/quillmarch-webengine.so \
    share/quillmarch/help/index.html share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
    share/man/man1/quillmarch.1 share/man/man1/quillmarch-cli.1 \
    share/bash-completion/completions/quillmarch share/bash-completion/completions/quillmarch-cli; do
    [ -s "$prefix/$f" ] || fail "not installed: $f"
  done
  desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
  grep -qx 'Exec=quillmarch %U' "$share/applications/$id.desktop" || fail "Exec without %U"
  grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "icon name"
  # Docks match a window to its launcher by the window's class, the application's name.
  local class
  class=$(sed -n 's/^StartupWMClass=//p' "$share/applications/$id.desktop")
  grep -q "setApplicationName(QStringLiteral(\"$class\"))" "$source/src/app/ui/Application.cpp" \
    || fail "StartupWMClass '$class' is not the window's class"
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo"
  file -b "$share/icons/hicolor/48x48/apps/$id.png" | grep -q '^PNG image data, 48 x 48' || fail "48 px icon"
  local page warnings
  for page in quillmarch quillmarch-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  done
  # The installed tool runs from the prefix and finds its modules there.
  "$prefix/bin/quillmarch-cli" --version | grep -q '^quillmarch-cli [0-9]' || fail "installed --version"
}

# Every option and command that a --help text lists appears in the manual page.
check_manpages() {
  local missing='' page text word
  check_text() {
    for word in $(grep -oE '^ {2}(-[a-zA-Z], )?--?[a-z][a-z0-9-]*|^ {2}[a-z]+ ' <<<"$2" | grep -oE -- '--?[a-z][a-z0-9-]*|[a-z]+'); do
      grep -qF -- "$(sed 's/-/\\-/g' <<<"$word")" "$1" || missing+=" $(basename "$1"):$word"
    done
  }
  page=$source/dist/man/quillmarch-cli.1
  for command in '' harvest text file sequence download; do
    text=$("$build/quillmarch-cli" $command --help)
    [ -n "$text" ] || fail "no help for '$command'"
    check_text "$page" "$text"
  done
  check_text "$source/dist/man/quillmarch.1" "$("$build/quillmarch" --help)"
  [ -z "$missing" ] || fail "in --help but not in the manual page:$missing"
}

check_completion() {
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  mkdir "$dir/folder" && touch "$dir/links.txt"
  cd "$dir"
  # Each row: the words typed (the last one being completed) | the completions expected.
  local rows=(
    "quillmarch-cli d|download"
    "quillmarch-cli |harvest text file sequence download help"
    "quillmarch-cli download --|--from --dir --exists --retries --jobs --per-host --limit-rate --format --aria2 --aria2-secret --aria2-secret-file --timeout --session --cookies --referer --header --user-agent --content-disposition --portable-names --name --output --quiet --verbose --ca-certificate --insecure --timestamping --user --password-file --no-config --help"
    "quillmarch-cli download --format |plain jsonl"
    "quillmarch-cli download -O l|links.txt"
    "quillmarch-cli --save out.txt text --ex|--exclude-js --exclude-mailto"
    "quillmarch-cli download --exists |prompt overwrite skip unique"
    "quillmarch-cli download --exists=o|overwrite"
    "quillmarch-cli text --format |plain jsonl csv"
    "quillmarch-cli download --dir |folder"
    "quillmarch-cli harvest --from l|links.txt"
    "quillmarch-cli file |folder links.txt"
    "quillmarch-cli help s|sequence"
    "quillmarch-cli harvest --jobs |"
    "quillmarch-cli harvest --type png,j|png,jpeg"
    "quillmarch-cli harvest --scope d|domain"
    "quillmarch --s|--send-link"
  )
  local row got
  for row in "${rows[@]}"; do
    got=$(complete_words "${row%%|*}")
    [ "$got" = "$(tr ' ' '\n' <<<"${row#*|}" | sort | xargs)" ] || fail "'${row%%|*}': got '$got'"
  done
  check_completion_options
}

# What bash completes for the words typed (the last one being completed), sorted.
complete_words() {
  bash --norc -c '
    source "$1"; source "$2"
    read -ra COMP_WORDS <<<"$3"
    [[ $3 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _${COMP_WORDS[0]//-/_}
    printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' _ \
    "$source/dist/completion/quillmarch-cli" "$source/dist/completion/quillmarch" "$1"
}

# The completion offers after each command the options its --help lists, and knows
# which of them take a value: those --help shows with one ("--jobs N").
check_completion_options() {
  local command help listed got valued='' known
  for command in '' harvest text file sequence download; do
    help=$("$build/quillmarch-cli" $command --help)
    listed=$(grep -oE -- '^ {2}(-[a-zA-Z], )?--[a-z0-9-]+' <<<"$help" | grep -oE -- '--[a-z0-9-]+$' | sort | xargs)
    got=$(complete_words "quillmarch-cli $command --")
    [ "$got" = "$listed" ] || fail "'quillmarch-cli $command --' offers '$got', --help lists '$listed'"
    valued+=" $(grep -oE -- '^ {2}(-[a-zA-Z], )?--[a-z0-9-]+ [^ ]' <<<"$help" | grep -oE -- '(-[a-zA-Z]|--[a-z0-9-]+)' | xargs || true)"
  done
  valued=$(tr ' ' '\n' <<<"$valued" | grep . | sort -u | xargs)
  known=$(grep -oP "^\s*local valued='\K[^']*" "$source/dist/completion/quillmarch-cli" | tr ' ' '\n' | sort | xargs)
  [ "$known" = "$valued" ] || fail "the completion's valued options '$known', --help's '$valued'"
}

"check_$mode"
echo "ok: $mode"
