#!/usr/bin/env bash
# Fails when an include or a library link reaches up a layer. The layers, from
# the ground up:
#   core     common < catalogs < model < (preview, link, journals) < editor
#            standard C++, POSIX and libpng only: no Qt header, no ui/ folder
#   windows  ui < (link/ui, journals/ui, editor/ui) < app, each on the whole core
#   tools    tools/cli and tools/sim include the core only; tools/shots (the
#            documentation's pictures) stands on the windows like src/app
# A folder may include its own files; folders on one level never include each
# other. Each layer is a static library (tripconf_common, ..., tripconf_app)
# that links only the layers below it and is built from its own folder's
# files; the build writes that graph to layers.txt.
# Usage: check_layers.sh SOURCE_ROOT [LAYERS_TXT], or check_layers.sh --self-test.
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
    tools/shots/*) echo shots ;;
    tools/*) echo tools ;;
  esac
}

allowed_for() { # the include folders a layer may use
  case $1 in
    app) echo "$core_all ui link/ui journals/ui editor/ui app" ;;
    shots) echo "$core_all ui link/ui journals/ui editor/ui app" ;;
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

# The library a folder's layer builds: link/ui -> tripconf_link_ui.
library_of() { echo "tripconf_${1//\//_}"; }

# layers.txt lines: "TARGET FOLDER links LIB..." and "TARGET FOLDER source FILE".
check_graph() {
  local graph=$1 failures=0 target dir kind rest layer allowed lib folder
  while read -r target dir kind rest; do
    layer=$(layer_of "$dir/x")
    if [ "$(library_of "$layer")" != "$target" ]; then
      echo "$target is built in $dir, the folder of $(library_of "$layer")"
      failures=$((failures + 1)); continue
    fi
    case $kind in
      links)
        allowed=" $(allowed_for "$layer") "
        for lib in $rest; do
          case $lib in
            tripconf_core) folder=editor ;; # the whole core
            tripconf_*) folder=${lib#tripconf_}; folder=${folder/_ui/\/ui}; [ "$folder" = ui/ui ] && folder=ui ;;
            Qt6::*)
              if [[ " $core_all " == *" $layer "* ]]; then
                echo "$target links Qt: $lib"; failures=$((failures + 1))
              fi
              continue ;;
            *) continue ;; # a Debian library (libpng, nlohmann-json)
          esac
          [ "$folder" = "$layer" ] && folder=self
          if [[ $allowed != *" $folder "* ]]; then
            echo "$target links $lib, a layer above it or beside it"
            failures=$((failures + 1))
          fi
        done
        ;;
      source)
        if [ "$(layer_of "$rest")" != "$layer" ]; then
          echo "$target is built from $rest, a file of another layer"
          failures=$((failures + 1))
        fi
        ;;
    esac
  done <"$graph"
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
  # The library graph: a clean one passes, each planted link or file is caught.
  cat >"$work/layers.txt" <<'GRAPH'
tripconf_common src/common links 
tripconf_common src/common source src/common/Error.cpp
tripconf_model src/model links tripconf_catalogs
tripconf_editor src/editor links tripconf_preview nlohmann_json::nlohmann_json
tripconf_link_ui src/link/ui links tripconf_ui Qt6::Widgets
tripconf_app src/app links tripconf_link_ui tripconf_editor_ui Qt6::Network
GRAPH
  check_graph "$work/layers.txt" >/dev/null || { echo "FAIL: a clean graph was refused"; exit 1; }
  cp "$work/layers.txt" "$work/clean.txt"
  for plant in 'tripconf_model src/model links tripconf_link' 'tripconf_common src/common links Qt6::Core' \
               'tripconf_link_ui src/link/ui links tripconf_editor_ui' 'tripconf_ui src/ui links tripconf_app' \
               'tripconf_link src/link source src/link/ui/PortDialog.cpp' 'tripconf_preview src/link links tripconf_model'; do
    { cat "$work/clean.txt"; echo "$plant"; } >"$work/layers.txt"
    check_graph "$work/layers.txt" >/dev/null && { echo "FAIL: not caught: $plant"; exit 1; }
  done
  echo "layer check self-test: ok"
  exit 0
fi

root=${1:?usage: check_layers.sh SOURCE_ROOT [LAYERS_TXT] | --self-test}
check "$root" || { echo "FAIL: includes reach up a layer"; exit 1; }
if [ -n "${2:-}" ]; then
  check_graph "$2" || { echo "FAIL: a library links or holds another layer"; exit 1; }
fi
echo "layers: ok"
