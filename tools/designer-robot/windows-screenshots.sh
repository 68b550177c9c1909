#!/usr/bin/env bash
# windows-screenshots.sh: the Windows pictures of the README and the help
# (docs/windows-*.png), from the shots the Windows end to end run takes
# under Wine (build-windows-mingw/e2e/shots; ./test runs it where Qt for
# Windows is in the cache). Each picture is one window with its frame:
# the offer of the embedded host, the drawing window after a head was placed
# by clicks, and the description form over the options form with the test
# automation host.
set -euo pipefail
cd "$(dirname "$0")/../.."
shots=build-windows-mingw/e2e/shots
for pair in b-offer-window:windows-offer b-placed-window:windows-embedded-host \
            a-description-form-window:windows-automation-host; do
  from=$shots/${pair%%:*}.png
  to=docs/${pair#*:}.png
  [ -f "$from" ] || { echo "no $from: run the Windows end to end first (./test --windows)" >&2; exit 1; }
  cp "$from" "$to"
  echo "$to"
done
# The offer is shown in the help's page on installing too.
cp docs/windows-offer.png docs/help/obrazy/windows-propozycja.png
echo docs/help/obrazy/windows-propozycja.png
