#!/usr/bin/env bash
# Fails when the process-wide state the layers no longer keep comes back: a
# language switch (the language is a value handed down; the ini key
# "EnglishVersion" stays, as a string), a password grant outside the main
# window, a catalog that is not the settings' own.
# Usage: check_state.sh SOURCE_ROOT, or check_state.sh --self-test.
set -u

# Prints "file:line: text" for each use of the old state in the files given.
scan() { # files...
  # Strings and comments aside, the words themselves.
  local f
  for f in "$@"; do
    sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$f" |
      grep -nE '\bEnglishVersion\b|\bCurrentLanguage\(\)|\bAccessGranted\b|\bCatalogs\(\)|(^|[^A-Za-z_Q])Tr\(""' |
      sed "s|^|$f:|"
  done
}

check() { # root
  cd "$1" || exit 2
  local files found
  mapfile -t files < <(find src tools tests bench -name '*.cpp' -o -name '*.h' | sort)
  found=$(scan "${files[@]}")
  if [ -n "$found" ]; then
    echo "process-wide state the layers no longer keep:"
    echo "$found"
    exit 1
  fi
  echo "no process-wide language, grant or catalog in ${#files[@]} files"
}

self_test() {
  local dir
  dir=$(mktemp -d) || exit 2
  trap 'rm -rf "$dir"' RETURN
  printf 'bool a = tc::EnglishVersion;\nauto t = tc::Tr("да", "yes");\nauto& c = Catalogs();\n' >"$dir/bad.cpp"
  printf 'ini.ReadBool("Common", "EnglishVersion", false); // EnglishVersion\nauto t = Tr(language, "да", "yes");\nauto q = QTr("да", "yes");\n' >"$dir/good.cpp"
  [ "$(scan "$dir/bad.cpp" | wc -l)" -eq 3 ] || { echo "self-test: the old state was not found"; exit 1; }
  [ -z "$(scan "$dir/good.cpp")" ] || { echo "self-test: a value, a string or a comment was taken for the old state"; scan "$dir/good.cpp"; exit 1; }
  echo "self-test passed"
}

if [ "${1:-}" = --self-test ]; then self_test; else check "${1:?source root}"; fi
