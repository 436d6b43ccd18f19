#!/usr/bin/env bash
# gammu, a widely used SMS program, as the client of `modemsim --link`, run as a user would run
# it: the messages delivered through the console reach `gammu getallsms` with their senders,
# the texts gammu sends reach the outbox as exactly those texts, `getsmsc` shows the SIM's centre
# and `deletesms` empties the slot. Exits 77 (skipped) where gammu is not installed.
#   gammu_client.sh MODEMSIM
set -euo pipefail
modemsim=$1
if ! command -v gammu > /dev/null; then
    echo "gammu is not installed (scripts/install-deps.sh installs it): skipped"
    exit 77
fi

dir=$(mktemp -d)
sim=
finish() {
    exec 3>&- || true
    if [ -n "$sim" ]; then kill "$sim" 2> /dev/null || true; fi
    rm -rf "$dir"
}
trap finish EXIT
fail() {
    echo "$1"
    cat "$2"
    exit 1
}

mkfifo "$dir/console"
"$modemsim" --no-trace --link "$dir/modem" < "$dir/console" > "$dir/said" &
sim=$!
exec 3> "$dir/console"
printf '[gammu]\ndevice = %s\nconnection = at115200\n' "$dir/modem" > "$dir/gammurc"

console() { echo "$1" >&3; }
# Waits up to 10 s for the console to have said $1.
await() {
    for _ in $(seq 100); do
        if grep -qF -- "$1" "$dir/said"; then return 0; fi
        sleep 0.1
    done
    fail "the console never said: $1" "$dir/said"
}
run() {
    timeout 60 gammu -c "$dir/gammurc" "$@" > "$dir/out" 2>&1 || fail "gammu $* failed:" "$dir/out"
}
shows() {
    for text in "$@"; do
        grep -qF -- "$text" "$dir/out" || fail "gammu did not show: $text" "$dir/out"
    done
}
# The console's outbox lines without their message references: "to NUMBER  PDU  TEXT".
outbox_has() {
    sed -n 's/^  mr [0-9]*  //p' "$dir/said" | grep -qxF -- "$1" || fail "not in the outbox: $1" "$dir/said"
}

await /dev/
console "sms +393351391306 hello @ world"
console "sms 10086 你好世界"
console "sms Operator Hi there"
await "stored in slot 3"

# One connection for every command, as gammu's batch mode gives them: gammu paces its own
# commands, and each connection costs it a second or two of probing.
cat > "$dir/batch" << 'END'
identify
getallsms
sendsms TEXT +393351391306 -text "hello @ world"
sendsms TEXT 10086 -unicode -text "你好世界"
getsmsc
deletesms 1 1
END
run batch "$dir/batch"
shows Modemsim MS-1 001017000000011 001010123456789
shows '"+393351391306"' "hello @ world" '"10086"' "你好世界" '"Operator"' "Hi there" \
    "3 SMS parts in 3 SMS sequences"
shows "message reference=1" "message reference=2" '"+447700900999"'
shows "command 6: deletesms" "Batch processed"
console list
await "outbox (2):"
outbox_has "to +393351391306  PDU  hello @ world"
outbox_has 'to 10086  PDU  你好世界'
await "storage (2 of 20):"
grep -q "^   1  REC" <(sed -n '/storage (2 of 20)/,$p' "$dir/said") && fail "slot 1 is still there" "$dir/said"

console quit
exec 3>&-
status=0
wait "$sim" || status=$?
sim=
[ "$status" -eq 0 ] || fail "modemsim ended with status $status" /dev/null
echo "gammu: identify, getallsms, sendsms (GSM and unicode), getsmsc and deletesms passed"
