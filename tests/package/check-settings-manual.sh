#!/usr/bin/env bash
# The settings format is described twice: docs/SETTINGS.md in the repository and the manual page
# tarmel-settings(5) in the package. Both must name the same keys, and the page must render
# without a warning.
set -euo pipefail
src=$1

# The first column of the table of keys: every `key` in it.
from_markdown=$(grep '^| `' "$src/docs/SETTINGS.md" | cut -d'|' -f2 | grep -o '`[^`]*`' |
    tr -d '`' | sort)
# The tags of the KEYS section: the line after each .TP, keys separated by ", ".
from_manual=$(awk '/^\.SH KEYS/ { keys = 1; next } /^\.SH / { keys = 0 }
                   keys && tag { sub(/^\.B /, ""); gsub(/\\-/, "-"); gsub(/, /, "\n"); print }
                   { tag = keys && /^\.TP/ }' "$src/packaging/tarmel-settings.5" | sort)

if [ -z "$from_markdown" ] || [ "$from_markdown" != "$from_manual" ]; then
    echo "FAIL: docs/SETTINGS.md and packaging/tarmel-settings.5 name different keys:" >&2
    diff <(echo "$from_markdown") <(echo "$from_manual") >&2 || true
    exit 1
fi
warnings=$(groff -K utf8 -man -ww -z "$src/packaging/tarmel-settings.5" 2>&1)
[ -z "$warnings" ] || { echo "FAIL: tarmel-settings.5: $warnings" >&2; exit 1; }
echo "settings manual: $(wc -l <<<"$from_manual") keys agree"
