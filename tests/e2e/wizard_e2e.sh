#!/usr/bin/env bash
# The real program, end to end, unchanged: in a network and mount namespace of its own,
# where the download host resolves to a local nginx on port 80 with basic auth, the X
# display is an Xvfb of its own, and a stub xdg-open on PATH records what the program asks
# the shell to open. Input comes from xdotool.
#
#   wizard_e2e.sh KESTRIX SETTINGS_TOOL ARTIFACT_DIR
#
# Exit 77 (skipped) where namespaces cannot be made (not root, no unshare).
set -euo pipefail

kestrix=$(readlink -f "$1")
settings_tool=$(readlink -f "$2")
artifacts=$(readlink -f "${3:-.}")

# shellcheck source=e2e_env.sh
. "$(dirname "$(readlink -f "$0")")/e2e_env.sh"
e2e_enter wizard_e2e "$@"
e2e_setup "$settings_tool"

# ---- 1. English system: a wrong number fails and the window stays ------------------------
set_system_lang en_US.UTF-8
start_wizard en en_US.UTF-8
import -window "$wid" "$artifacts/e2e-wizard-en.png" 2>/dev/null || true
title=$(xdotool getwindowname "$wid")
[ "$title" = "Register full version" ] || fail "English title: '$title'"

click $field_x $field_y
xdotool type --delay 30 "0000-0000"
click $button_x $button_y
box=$(timeout 30 xdotool search --sync --name "^Download failed$" 2>/dev/null | head -n 1) || true
[ -n "$box" ] || fail "no failure message box after a wrong number"
alive || fail "the program ended after a failure"
[ -f "$work/tmp/parvelVV.exe" ] || fail "the failed attempt left no file"
xdotool mousemove --window "$box" 5 5
xdotool key --window "$box" Return
wait_for 10 bash -c "! xdotool search --name '^Download failed$'" || fail "the message box stays"
alive || fail "the program ended after closing the message box"
echo "wizard_e2e: wrong number: message box shown, window stays"

# The sign-up link opens the page of the system's language.
click $link_x $link_y
wait_for 10 opened_has "$SIGNUP_EN" || fail "link: expected $SIGNUP_EN, got $(cat "$work/opened.txt")"
echo "wizard_e2e: link opens $SIGNUP_EN"

# ---- 2. The right number: the installer is fetched and started, exit code 0 --------------
click $field_x $field_y
xdotool key ctrl+a
xdotool type --delay 30 "$customer"
click $button_x $button_y
rc=0
timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not end after the download"
wait "$app_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after a successful download"
opened_has "$work/tmp/parvelVV.exe" || fail "installer not started: $(cat "$work/opened.txt")"
cmp -s "$work/tmp/parvelVV.exe" "$work/www$DOWNLOAD_PATH" || fail "the stored installer differs"
grep -q "\"GET $DOWNLOAD_PATH HTTP/1.0\" 200" "$work/nginx/access.log" || fail "no HTTP/1.0 GET"
echo "wizard_e2e: right number: installer fetched, started, exit 0"

# ---- 3. German system, English user: German texts and the German sign-up page -------------
: >"$work/opened.txt"
set_system_lang de_DE.UTF-8
start_wizard de en_US.UTF-8
import -window "$wid" "$artifacts/e2e-wizard-de.png" 2>/dev/null || true
title=$(xdotool getwindowname "$wid")
[ "$title" = "Vollversion registrieren" ] || fail "German title: '$title'"
click $link_x $link_y
wait_for 10 opened_has "$SIGNUP_DE" || fail "link: expected $SIGNUP_DE, got $(cat "$work/opened.txt")"
echo "wizard_e2e: German system: link opens $SIGNUP_DE"
kill -TERM "$app_pid"
rc=0
wait "$app_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after closing the window"
echo "wizard_e2e: window closed, exit 0"
echo "wizard_e2e: all checks passed"
