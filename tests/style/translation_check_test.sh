#!/usr/bin/env bash
# The translation check passes a tree whose texts are all translated in both languages,
# and fails, naming the text, on one that is new and untranslated, on one translated
# in one language only, and on a translation left over from a text that is gone.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/translations"

ts() { # language, then the messages
  printf '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n'
  printf '<TS version="2.1" language="%s" sourcelanguage="en">\n' "$1"
  printf '<context><name>Form</name>%s</context></TS>\n' "$2"
}
message() { # source, translation
  printf '<message><source>%s</source><translation>%s</translation></message>' "$1" "$2"
}
source_with() {
  printf '#include <QObject>\nclass Form : public QObject {\n    Q_OBJECT\n'
  printf '    void show() { %s }\n};\n' "$1"
}
expect_failure() { # why, text the failure must name
  if output=$("$check" "$tree" 2>&1); then
    echo "passed, but $1" >&2
    exit 1
  fi
  grep -qF "$2" <<<"$output" || {
    echo "the failure does not name '$2': $output" >&2
    exit 1
  }
}

source_with 'tr("Open");' >"$tree/Form.h"
ts ja "$(message Open 開く)" >"$tree/translations/tumbleway_ja.ts"
ts en "$(message Open Open)" >"$tree/translations/tumbleway_en.ts"
"$check" "$tree"

source_with 'tr("Open"); tr("Close");' >"$tree/Form.h"
expect_failure "a new text has no translation" "'Close'"
ts ja "$(message Open 開く)$(message Close 閉じる)" >"$tree/translations/tumbleway_ja.ts"
expect_failure "the new text is translated into Japanese only" "tumbleway_en.ts: Form: not translated: 'Close'"

source_with 'tr("Close");' >"$tree/Form.h"
ts en "$(message Close Close)" >"$tree/translations/tumbleway_en.ts"
expect_failure "the Japanese file keeps the translation of a text that is gone" \
  "tumbleway_ja.ts: Form: no longer in the sources: 'Open'"
