#!/usr/bin/env bash
# tools/x11_run.sh against the ways an X server start can fall short: stand-ins
# for Xvfb and openbox placed first on PATH fail in the way given, then hand
# over to the real programs.
#   tests/x11/x11_run_test.sh PATH/TO/x11_run.sh
set -uo pipefail
run=${1:?usage: x11_run_test.sh PATH/TO/x11_run.sh}
real_xvfb=$(command -v Xvfb)
real_openbox=$(command -v openbox)
failures=0

# A case: stand-ins that fail their first XVFB_FAILURES and OPENBOX_FAILURES
# starts, then a program that exits 7 if it finds a window manager on its display.
#   case_run NAME XVFB_FAILURES OPENBOX_FAILURES EXPECTED_RC
case_run() {
  local name=$1 xvfb_fail=$2 wm_fail=$3 want=$4
  local fakes
  fakes=$(mktemp -d)
  # A server that names a display where nothing listens, then dies.
  cat >"$fakes/Xvfb" <<EOF
#!/usr/bin/env bash
n=\$(cat "$fakes/xvfb.count" 2>/dev/null || echo 0); echo \$((n + 1)) >"$fakes/xvfb.count"
if [ "\$n" -lt $xvfb_fail ]; then echo 987 >&3; echo "stand-in Xvfb gives up" >&2; exit 1; fi
exec "$real_xvfb" "\$@"
EOF
  # A window manager that cannot open the display.
  cat >"$fakes/openbox" <<EOF
#!/usr/bin/env bash
n=\$(cat "$fakes/wm.count" 2>/dev/null || echo 0); echo \$((n + 1)) >"$fakes/wm.count"
if [ "\$n" -lt $wm_fail ]; then echo "Openbox-Message: Failed to open the display" >&2; exit 1; fi
exec "$real_openbox" "\$@"
EOF
  chmod +x "$fakes/Xvfb" "$fakes/openbox"
  local out rc
  out=$(PATH="$fakes:$PATH" timeout 120 "$run" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" && exit 7' 2>&1)
  rc=$?
  if [ "$rc" -ne "$want" ]; then
    echo "FAIL $name: exit $rc, wanted $want"
    echo "$out" | sed 's/^/  | /'
    failures=$((failures + 1))
  elif [ "$want" -ne 7 ] && ! grep -q "no X server could be started" <<<"$out"; then
    echo "FAIL $name: gave up without saying so"
    echo "$out" | sed 's/^/  | /'
    failures=$((failures + 1))
  elif [ "$xvfb_fail" -gt 0 ] && ! grep -q "stand-in Xvfb gives up" <<<"$out"; then
    echo "FAIL $name: the server's log was not shown"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
  rm -rf "$fakes"
}

# The program runs under a window manager and its exit status comes back (7).
case_run "a clean start" 0 0 7
case_run "a server that dies after naming its display is replaced" 1 0 7
case_run "a window manager that cannot open the display is started again" 0 2 7
case_run "three failed starts end the run with a message" 3 0 1
exit $((failures > 0))
