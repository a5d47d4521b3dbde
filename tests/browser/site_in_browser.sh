#!/usr/bin/env bash
# The exported example in a real browser (headless Chromium): the search page
# finds pages by their words when opened from files, and the site's script
# file gives the functions exported pages call, with a working cart.
# usage: site_in_browser.sh TOLVANE-CLI DEMO.yka OUTDIR   (skipped without chromium)
set -euo pipefail
command -v chromium >/dev/null 2>&1 || { echo "chromium is not installed: skipped"; exit 77; }
cli=$1 demo=$2 out=$3
rm -rf "$out"
"$cli" export "$demo" "$out" >/dev/null 2>&1
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
dom() {
  timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --dump-dom "$1" 2>/dev/null
}

page=$(dom "file://$out/search-tolvane.htm?q=phare")
grep -q '>Les phares</a>' <<<"$page" || { echo "the search page found no page for 'phare'"; exit 1; }
page=$(dom "file://$out/search-tolvane.htm?q=nulle-part")
grep -q '0 page(s)' <<<"$page" || { echo "the search page found pages for a word no page holds"; exit 1; }

cat > "$out/check-scripts.htm" <<'HTML'
<html><head><script src="demo_js.js"></script></head><body><div id="r"></div><script>
var r = [typeof TolvaneF_open, typeof TolvaneF_openB, typeof TolvaneF_close, typeof TolvaneF_over,
         typeof MyAddAndShowCart];
MyEmptyCart();
MyAddAndShowCart('A1', '2.50', 'EUR', 'Voile', colpari, coldisp);
MyAddAndShowCart('A1', '2.50', 'EUR', 'Voile', colpari, coldisp);
MyAddAndShowCart('B2', '1', 'EUR', 'Corde', colpari, coldisp);
r.push(MyCartText().split('\n').join(';'));
document.getElementById('r').textContent = r.join('|');
</script></body></html>
HTML
page=$(dom "file://$out/check-scripts.htm")
expected='function|function|function|function|function|2 x A1 Voile : 5.00 EUR;1 x B2 Corde : 1.00 EUR;Total : 6.00 EUR'
grep -qF "$expected" <<<"$page" || { echo "the script file did not work: $page"; exit 1; }
echo "search page and scripts work"
