#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The machine-wide record as two ordinary users of the machine meet it. Run as root:
#   scripts/shared-record-test.sh [KEEPER [SHARED_DIR]]
# (the installed keeper and /var/games/moltiplix by default). Two users made for the
# test, and removed after it, check that neither can create, delete, replace or write
# anything in the shared directory, that both set the record through the keeper, that
# racing saves always keep the better record, that the keeper refuses bad arguments, and
# that a keeper killed at random moments of its saves always leaves a whole pair.
# Environment: PREPARE_FROM=built keeper: first installs that one at KEEPER, root:games
# 2755, and makes SHARED_DIR as the package does (for a build tree, not a package).
# RECORD_TESTS=logic_tests: also runs the game's fallback test as one of the users.
# RACE_ROUNDS and KILL_ROUNDS change how many rounds run (100 and 100).
set -euo pipefail
keeper=${1:-/usr/lib/games/moltiplix/moltiplix-record}
shared=${2:-/var/games/moltiplix}
race_rounds=${RACE_ROUNDS:-100}
kill_rounds=${KILL_ROUNDS:-100}
[ "$(id -u)" = 0 ] || { echo "shared-record-test: run it as root"; exit 2; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

if [ -n "${PREPARE_FROM:-}" ]; then
    install -D -o root -g games -m 2755 "$PREPARE_FROM" "$keeper"
    install -d -o root -g games -m 0775 "$shared"
    "$keeper" create
fi

user_a=mxa$$
user_b=mxb$$
saved_score=$(mktemp)
saved_name=$(mktemp)
cleanup() {
    # The record as it was before the test, written in place so that owner and mode stay.
    cat "$saved_score" >"$shared/tavrec.txt" 2>/dev/null || true
    cat "$saved_name" >"$shared/ntavrec.txt" 2>/dev/null || true
    rm -f "$saved_score" "$saved_name"
    for u in "$user_a" "$user_b"; do
        if id "$u" >/dev/null 2>&1; then userdel -r "$u" >/dev/null 2>&1 || true; fi
    done
}
trap cleanup EXIT
cat "$shared/tavrec.txt" >"$saved_score"
cat "$shared/ntavrec.txt" >"$saved_name"
useradd -m -s /bin/sh "$user_a"
useradd -m -s /bin/sh "$user_b"

as() { local u=$1; shift; runuser -u "$u" -- "$@"; }
reset_record() { : >"$shared/tavrec.txt"; : >"$shared/ntavrec.txt"; }
record() { printf '%s|%s' "$(tr -d '\r\n' <"$shared/tavrec.txt")" "$(tr -d '\r\n' <"$shared/ntavrec.txt")"; }

# --- how things are installed
[ "$(stat -c '%U:%G %a' "$keeper")" = "root:games 2755" ] ||
    fail "keeper is $(stat -c '%U:%G %a' "$keeper"), not root:games 2755"
[ "$(stat -c '%U:%G %a' "$shared")" = "root:games 775" ] ||
    fail "$shared is $(stat -c '%U:%G %a' "$shared"), not root:games 775"
for f in tavrec.txt ntavrec.txt; do
    [ "$(stat -c '%U:%G %a' "$shared/$f")" = "root:games 664" ] ||
        fail "$f is $(stat -c '%U:%G %a' "$shared/$f"), not root:games 664"
done
for f in tavrec.lock tavrec.txt.new ntavrec.txt.new; do
    [ "$(stat -c '%U:%G %a' "$shared/$f" 2>&1)" = "root:games 660" ] ||
        fail "$f is not root:games 0660: the package runs '$keeper create' as root to make it"
done
pass "installed as root:games, keeper 2755, directory 0775, files 0664 (keeper's own 0660)"

# --- nothing in the shared directory can be created, deleted, replaced or written
reset_record
for u in "$user_a" "$user_b"; do
    for attempt in "touch '$shared/new'" "rm -f '$shared/tavrec.txt'" \
        "mv '$shared/ntavrec.txt' '$shared/x'" "ln -sf /etc/passwd '$shared/tavrec.txt'" \
        "echo 99 >'$shared/tavrec.txt'" "echo 99 >'$shared/tavrec.txt.new'" \
        "cat '$shared/tavrec.lock'" "mkfifo '$shared/ntavrec.txt.new2'"; do
        if as "$u" sh -c "$attempt" 2>/dev/null; then fail "$u could: $attempt"; fi
    done
done
[ "$(record)" = "|" ] && [ "$(find "$shared" -mindepth 1 -not -user root | wc -l)" = 0 ] ||
    fail "the shared directory changed: $(ls -la "$shared")"
pass "neither user can create, delete, replace or write anything in $shared"

# --- both set the record through the keeper, and the files stay root's
as "$user_a" "$keeper" save 5 Anna || fail "Anna's 5 not saved"
if as "$user_b" "$keeper" save 5 Bruno; then fail "an equal score was saved"; fi
as "$user_b" "$keeper" save 7 "Bruno è qui" || fail "Bruno's 7 not saved"
[ "$(record)" = "7|Bruno è qui" ] || fail "record is $(record), not 7|Bruno è qui"
[ "$(as "$user_a" "$keeper" read)" = "$(printf '3\n7\r\n14\nBruno è qui\r\n')" ] ||
    fail "read gives $(as "$user_a" "$keeper" read | od -c | head -3)"
for f in tavrec.txt ntavrec.txt; do
    [ "$(stat -c '%U:%G %a' "$shared/$f")" = "root:games 664" ] || fail "$f changed hands"
done
pass "both users set the record through the keeper; files still root:games 0664"

# --- bad arguments are refused and change nothing
long=$(printf 'a%.0s' $(seq 51))
for args in "" "save" "save 1" "read x" "save -1 x" "save 32768 x" "save 1e3 x" \
    "save &H10 x" "SAVE 9 x"; do
    # shellcheck disable=SC2086
    if as "$user_a" "$keeper" $args >/dev/null 2>&1; then fail "keeper took: $args"; fi
done
for name in "$(printf 'a\nb')" "$(printf 'a\tb')" "$long" "$(printf 'Nicol\362')"; do
    status=0
    as "$user_a" "$keeper" save 99 "$name" >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "keeper gave $status for the name $(printf %q "$name")"
done
[ "$(record)" = "7|Bruno è qui" ] || fail "a refused call changed the record: $(record)"
pass "the keeper refuses bad arguments"

# --- racing saves always keep the better record
kept=0
for round in $(seq "$race_rounds"); do
    reset_record
    low=$((RANDOM % 1000 + 1))
    high=$((low + RANDOM % 50 + 1))
    if ((round % 2)); then
        as "$user_a" "$keeper" save "$low" Low &
        as "$user_b" "$keeper" save "$high" High &
    else
        as "$user_b" "$keeper" save "$high" High &
        as "$user_a" "$keeper" save "$low" Low &
    fi
    wait || true
    if [ "$(record)" = "$high|High" ]; then kept=$((kept + 1)); else
        fail "race round $round: $(record), not $high|High"
    fi
done
echo "race: $kept of $race_rounds runs kept the better record"

# --- a keeper killed at random moments of its saves leaves a whole pair
# setpriv starts the keeper as the user in the same process, so the kill reaches the
# keeper itself; the moment is drawn over the measured time of one save.
as_a_directly() {
    setpriv --reuid="$user_a" --regid="$(id -g "$user_a")" --init-groups "$@"
}
reset_record
as_a_directly "$keeper" save 1 K1
start=$(date +%s%N)
for i in $(seq 2 11); do as_a_directly "$keeper" save "$i" "K$i"; done
one_save_us=$((($(date +%s%N) - start) / 10000))
old=0 new=0 mixed_on_disk=0 mixed=0
next=12
for round in $(seq "$kill_rounds"); do
    before=$(record)
    setpriv --reuid="$user_a" --regid="$(id -g "$user_a")" --init-groups \
        "$keeper" save "$next" "K$next" &
    saver=$!
    sleep "$(awk -v us="$one_save_us" -v r="$RANDOM" 'BEGIN { printf "%.6f", 1.2 * us * r / 32768 / 1e6 }')"
    kill -KILL "$saver" 2>/dev/null || true
    wait "$saver" 2>/dev/null || true
    on_disk=$(record)
    score=${on_disk%%|*}
    if [ "${on_disk#*|}" != "K$score" ]; then
        mixed_on_disk=$((mixed_on_disk + 1))
        [ -e "$shared/tavrec.commit" ] || fail "kill round $round: files mixed without the mark"
    fi
    after=$(as "$user_b" "$keeper" read | tr -d '\r' | sed -n '2p;4p' | paste -sd'|')
    if [ "$after" = "$before" ]; then old=$((old + 1))
    elif [ "$after" = "$next|K$next" ]; then new=$((new + 1))
    else mixed=$((mixed + 1)); fail "kill round $round: $after (before: $before)"; fi
    next=$((next + 1))
done 2>/dev/null
echo "kill: $kill_rounds rounds on $(stat -f -c %T "$shared") (one save: ${one_save_us} us);" \
    "pairs read after the kill: old $old, new $new, mixed $mixed;" \
    "files mixed on disk until the next keeper run: $mixed_on_disk"
((new > 0)) || fail "no kill came after a save"
[ "$(find "$shared" -mindepth 1 -not -user root | wc -l)" = 0 ] ||
    fail "the kills left files of a player: $(ls -la "$shared")"

# --- the game's fallback, as an ordinary user
if [ -n "${RECORD_TESTS:-}" ]; then
    if as "$user_a" "$RECORD_TESTS" --gtest_filter='KeeperStore.FallsBack*' >/dev/null; then
        pass "the game falls back to the player's own record as $user_a"
    else
        fail "the fallback did not work for $user_a"
    fi
fi

[ "$failures" = 0 ] || { echo "shared-record-test: $failures failures"; exit 1; }
echo "shared-record-test: all passed"
