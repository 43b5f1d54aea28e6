#!/bin/bash
# Opens the help page in headless Chromium, as a reader would: saves a screenshot for people to
# look at, and fails on an internal link without its target or on anything the page logs to the
# console (it has no scripts, so any console message is a fault, such as a missing resource).
#   check_help_page.sh PAGE SCREENSHOT
set -uo pipefail
page=$(realpath "$1")
screenshot=$2
mkdir -p "$(dirname "$screenshot")"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium_run() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    --enable-logging=stderr --v=0 "$@" "file://$page"
}
failed=0
chromium_run --window-size=1000,3000 --screenshot="$screenshot" 2>"$profile/log" >/dev/null
if [ -s "$screenshot" ]; then echo "PASS screenshot saved to $screenshot"; else echo "FAIL no screenshot"; failed=1; fi
chromium_run --dump-dom 2>>"$profile/log" >"$profile/dom.html"
console=$(grep -E ':CONSOLE[(:]|Failed to load resource|Not allowed to load' "$profile/log")
if [ -z "$console" ]; then echo "PASS nothing is logged to the console"; else echo "FAIL the console says: $console"; failed=1; fi
python3 - "$profile/dom.html" <<'PY' || failed=1
import sys
from html.parser import HTMLParser
class Links(HTMLParser):
    def __init__(self):
        super().__init__(); self.ids = set(); self.targets = []
    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if 'id' in attrs: self.ids.add(attrs['id'])
        if tag == 'a' and attrs.get('href', '').startswith('#'): self.targets.append(attrs['href'][1:])
links = Links()
links.feed(open(sys.argv[1], encoding='utf-8').read())
broken = [t for t in links.targets if t not in links.ids]
if not links.targets: print("FAIL the page as rendered holds no internal links"); sys.exit(1)
if broken: print("FAIL internal links without a target: " + ", ".join(broken)); sys.exit(1)
print("PASS all %d internal links find their target" % len(links.targets))
PY
exit "$failed"
