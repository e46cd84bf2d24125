#!/usr/bin/env bash
# Fails when an include reaches up a layer. The layers, from the ground up:
#   core     common < catalogs < model < (preview, link, journals) < editor
#            standard C++, POSIX and libpng only: no Qt header, no ui/ folder
#   windows  ui < (link/ui, journals/ui, editor/ui) < app, each on the whole core
#   tools    tools/cli and tools/sim include the core only
# A folder may include its own files; folders on one level never include each
# other. Usage: check_layers.sh SOURCE_ROOT, or check_layers.sh --self-test.
set -u

core_below() { # the core folders a core folder may include
  case $1 in
    common) echo "common" ;;
    catalogs) echo "common catalogs" ;;
    model) echo "common catalogs model" ;;
    preview | link | journals) echo "common catalogs model $1" ;;
    editor) echo "common catalogs model preview link journals editor" ;;
  esac
}
core_all="common catalogs model preview link journals editor"

# The layer of a file, by its path below the root: src/link/ui/X.cpp -> link/ui.
layer_of() {
  local path=$1
  case $path in
    src/*/ui/*) path=${path#src/}; echo "${path%%/ui/*}/ui" ;;
    src/*) path=${path#src/}; echo "${path%%/*}" ;;
    tools/*) echo tools ;;
  esac
}

allowed_for() { # the include folders a layer may use
  case $1 in
    app) echo "$core_all ui link/ui journals/ui editor/ui app" ;;
    ui) echo "$core_all ui" ;;
    */ui) echo "$core_all ui $1" ;;
    tools) echo "$core_all" ;;
    *) core_below "$1" ;;
  esac
}

check() {
  local root=$1 failures=0 file rel layer allowed line target folder
  while IFS= read -r file; do
    rel=${file#"$root"/}
    layer=$(layer_of "$rel")
    [ -n "$layer" ] || continue
    allowed=" $(allowed_for "$layer") "
    while IFS= read -r line; do
      case $line in
        '#include "'*)
          target=${line#'#include "'}; target=${target%%'"'*}
          case $target in */*) ;; *) continue ;; esac # a file beside this one
          case $target in
            */ui/*) folder=${target%%/ui/*}/ui ;;
            *) folder=${target%%/*} ;;
          esac
          if [[ $allowed != *" $folder "* ]]; then
            echo "$rel: $layer includes $target"
            failures=$((failures + 1))
          fi
          ;;
        '#include <Q'*)
          if [[ " $core_all tools " == *" $layer "* ]]; then
            echo "$rel: Qt in the core or a tool: $line"
            failures=$((failures + 1))
          fi
          ;;
      esac
    done < <(grep -h '^[[:space:]]*#[[:space:]]*include' "$file" | sed 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*/#include /')
  done < <(find "$root/src" "$root/tools" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' \) 2>/dev/null | sort)
  [ "$failures" -eq 0 ]
}

if [ "${1:-}" = --self-test ]; then
  # Each planted include must be caught; the clean tree must pass.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/src/common" "$work/src/model" "$work/src/link/ui" "$work/src/ui" "$work/tools/cli"
  echo '#include "common/A.h"' >"$work/src/model/M.h"
  echo '#include "ui/Prompter.h"' >"$work/src/link/ui/D.cpp"
  echo '#include "Local.h"' >"$work/tools/cli/C.cpp"
  check "$work" >/dev/null || { echo "FAIL: a clean tree was refused"; exit 1; }
  for plant in 'src/common/B.h:#include "model/M.h"' 'src/model/Q.cpp:#include <QString>' \
               'src/ui/U.cpp:#include "link/ui/D.h"' 'src/link/L.cpp:#include "link/ui/D.h"' \
               'tools/cli/T.cpp:#include "ui/Prompter.h"' 'src/preview/P.cpp:#include "link/DeviceLink.h"'; do
    file=$work/${plant%%:*}
    mkdir -p "$(dirname "$file")"
    echo "${plant#*:}" >"$file"
    check "$work" >/dev/null && { echo "FAIL: not caught: $plant"; exit 1; }
    rm "$file"
  done
  echo "layer check self-test: ok"
  exit 0
fi

root=${1:?usage: check_layers.sh SOURCE_ROOT | --self-test}
check "$root" || { echo "FAIL: includes reach up a layer"; exit 1; }
echo "layers: ok"
