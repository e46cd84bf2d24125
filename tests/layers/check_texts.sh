#!/usr/bin/env bash
# Fails when a window's text is a literal outside the bilingual text table
# (tc::Tr / QTr, or a Field's caption pair): a Russian literal made into a
# QString on its own, or a literal with letters handed straight to a
# widget's text, title, tooltip or item. The texts that read the same in
# both languages on purpose are listed below, each with its reason.
# Usage: check_texts.sh SOURCE_ROOT, or check_texts.sh --self-test.
set -u

# file|literal|reason
allowed=(
  'src/app/MainWindow.cpp|English language|the language box reads the same in both languages, so it can be found in either'
  'src/app/MainWindow.cpp|Выбрать СОМ-порт|the port button before the ini is read; replaced by the chosen language before the window is shown'
  'src/editor/ui/SettingsEditor.cpp|OK|the same word in both languages'
  'src/link/ui/PortDialog.cpp|OK|the same word in both languages'
  'src/link/ui/PasswordDialog.cpp|OK|the same word in both languages'
  'src/link/ui/PortDialog.cpp|COM%1|the port number, the same in both languages'
)

setters='setText|setWindowTitle|setToolTip|setTitle|addTab|insertTab|setTabText|setPlaceholderText|setStatusTip|setWhatsThis|addAction|addMenu|addItem|QLabel|QPushButton|QCheckBox|QGroupBox|QRadioButton|QToolButton|QAction|QMenu'

# Prints "file:line: literal" for each literal that breaks the rule.
scan() { # files...
  grep -HnoP "(QStringLiteral|QString::fromUtf8|QLatin1String)\(\"[^\"]*[\x{0400}-\x{04FF}][^\"]*\"" "$@" 2>/dev/null |
    sed -E 's/^([^:]+):([0-9]+):[A-Za-z:0-9]+\("(.*)"$/\1:\2: \3/'
  grep -HnoP "\b($setters)\(\s*(QStringLiteral|QLatin1String)\(\"[^\"]*[A-Za-z][^\"]*\"" "$@" 2>/dev/null |
    sed -E 's/^([^:]+):([0-9]+):[^"]*"(.*)"$/\1:\2: \3/'
}

is_allowed() { # file literal
  local entry
  for entry in "${allowed[@]}"; do
    IFS='|' read -r file literal _ <<<"$entry"
    [ "$1" = "$file" ] && [ "$2" = "$literal" ] && return 0
  done
  return 1
}

check() { # root
  local root=$1 bad=0 line file literal
  cd "$root" || exit 2
  local files
  mapfile -t files < <(find src -name '*.cpp' -o -name '*.h' | grep -v '^src/app/main.cpp$' | sort)
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    file=${line%%:*}
    literal=${line#*: }
    is_allowed "$file" "$literal" && continue
    echo "text outside the bilingual table: $line"
    bad=1
  done < <(scan "${files[@]}" | sort -u)
  return $bad
}

if [ "${1-}" = --self-test ]; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  mkdir -p "$dir/src/x/ui"
  printf '%s\n' 'b->setText(QStringLiteral("Cancel"));' > "$dir/src/x/ui/A.cpp"
  printf '%s\n' 'auto t = QStringLiteral("Отмена");' > "$dir/src/x/ui/B.cpp"
  printf '%s\n' 'b->setText(QTr("Отмена", "Cancel")); l->setText(QStringLiteral("%1 %"));' > "$dir/src/x/ui/C.cpp"
  out=$(check "$dir")
  [ $? -ne 0 ] || { echo "self-test: nothing found"; exit 1; }
  grep -q 'A.cpp:1: Cancel' <<<"$out" || { echo "self-test: missed an English literal: $out"; exit 1; }
  grep -q 'B.cpp:1: Отмена' <<<"$out" || { echo "self-test: missed a Russian literal: $out"; exit 1; }
  ! grep -q 'C.cpp' <<<"$out" || { echo "self-test: flagged a table text: $out"; exit 1; }
  echo "self-test passed"
  exit 0
fi

check "${1:?usage: check_texts.sh SOURCE_ROOT}"
