#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The machine-wide record as two ordinary users of the machine meet it. Run as root:
#   scripts/shared-record-test.sh [KEEPER [SHARED_DIR]]
# (the installed keeper and /var/games/moltiplix by default). Two users made for the
# test, and removed after it, check that neither can create, delete, replace or write
# anything in the shared directory, that both set the record through the keeper, that
# racing saves always keep the better record, that the keeper refuses bad arguments, that
# a keeper one user stops while it holds the lock costs the other no save, that a
# directory anyone may write is refused, sticky or not, that a record file the keeper
# can't write is frozen, not an error, that no file in the directory ever belongs to a
# user, and that a keeper killed at random moments of its saves always leaves a whole pair.
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
# setpriv starts the keeper as the user in the same process, so signals reach the keeper.
as_directly() {
    local u=$1
    shift
    setpriv --reuid="$u" --regid="$(id -g "$u")" --init-groups "$@"
}
status_of() { local status=0; "$@" >/dev/null 2>&1 || status=$?; echo "$status"; }
players_files() { find "$shared" -mindepth 1 ! -user root; }
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

# --- a keeper a user stops while it holds the lock costs the other user no save
# Runs of `read` are stopped at random moments until the kernel lists one as holding the
# lock (/proc/locks); the stopped process would outlive its owner's logout.
lock_inode=$(stat -c %i "$shared/tavrec.lock")
holds_lock() {
    awk -v pid="$1" -v ino="$lock_inode" '$2 != "->" && $5 == pid {
        n = split($6, f, ":"); if (f[n] == ino) found = 1 } END { exit !found }' /proc/locks
}
state_of() { cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null; }
# Prints the pid of a run of "keeper $*" by user_a stopped while it holds the lock.
stop_while_holding() {
    local try pid delay state gid_a
    gid_a=$(id -g "$user_a")
    for try in $(seq 3000); do
        # A plain command, so that $! is the keeper itself, not a subshell.
        setpriv --reuid="$user_a" --regid="$gid_a" --init-groups "$keeper" "$@" >/dev/null 2>&1 &
        pid=$!
        delay=$((try % 4))
        ((delay == 0)) || sleep "0.00$delay"
        kill -STOP "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; continue; }
        # Until the signal has landed: stopped, or ended before it.
        while state=$(state_of "$pid") && [ "$state" != T ] && [ "$state" != Z ]; do :; done
        if [ "$(state_of "$pid")" = T ] && holds_lock "$pid"; then
            echo "stopped a keeper holding the lock at try $try" >&2
            echo "$pid"
            return 0
        fi
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || true
    done
    return 1
}
reset_record
as "$user_a" "$keeper" save 5 Anna || fail "Anna's 5 not saved"
if holder=$(stop_while_holding read); then
    started=$(date +%s%N)
    status=$(status_of as "$user_b" "$keeper" save 9 Bea)
    waited_ms=$((($(date +%s%N) - started) / 1000000))
    [ "$status" = 4 ] || fail "with the lock held, Bea's save gave $status, not 4 (held)"
    ((waited_ms < 6000)) || fail "Bea waited $waited_ms ms for a held lock"
    [ "$(record)" = "5|Anna" ] || fail "record is $(record) while the lock is held"
    [ -z "$(players_files)" ] || fail "files of a user while the lock is held: $(players_files)"
    kill -KILL "$holder"
    wait "$holder" 2>/dev/null || true
    as "$user_b" "$keeper" save 9 Bea || fail "Bea's 9 not saved once the holder was gone"
    [ "$(record)" = "9|Bea" ] || fail "record is $(record), not 9|Bea"
    pass "a stopped holder held Bea's save back for $waited_ms ms (status 4), then it landed"
else
    fail "no keeper run could be stopped while it held the lock"
fi

# Saves stopped while they hold the lock, before, during or after their commit: none
# leaves a file of the user who ran it.
stops=0
for round in $(seq 10); do
    if saver=$(stop_while_holding save $((100 + round)) "S$((100 + round))"); then
        stops=$((stops + 1))
        [ -z "$(players_files)" ] || fail "stopped save $round left: $(players_files)"
        kill -KILL "$saver"
        wait "$saver" 2>/dev/null || true
    fi
done
after=$(as "$user_b" "$keeper" read | tr -d '\r' | sed -n '2p;4p' | paste -sd'|')
[ "$after" = "$(record)" ] && [ "${after#*|}" = "S${after%%|*}" ] || [ "$after" = "9|Bea" ] ||
    fail "after the stopped saves the record reads $after"
[ -z "$(players_files)" ] || fail "files of a user after the stopped saves: $(players_files)"
pass "$stops saves stopped while holding the lock left no file of a user"

# --- a directory anyone may write is refused, sticky bit or not
reset_record
as "$user_a" "$keeper" save 6 Anna || fail "Anna's 6 not saved"
for mode in 1777 0777; do
    chmod "$mode" "$shared"
    # What a pupil would plant there: a commit mark over spares without a save.
    as "$user_b" touch "$shared/tavrec.commit" 2>/dev/null || true
    status=$(status_of as "$user_b" "$keeper" save 99 Bea)
    [ "$status" = 3 ] || fail "a directory $mode gave $status to a save, not 3"
    [ "$(status_of as "$user_a" "$keeper" read)" = 3 ] || fail "a directory $mode was read"
    chmod 0775 "$shared"
    [ "$(record)" = "6|Anna" ] || fail "in a directory $mode the record became $(record)"
done
# The planted mark is no save: dropped, the record kept.
: >"$shared/tavrec.txt.new"
as "$user_a" "$keeper" read >/dev/null || fail "read failed after the directory was closed again"
[ "$(record)" = "6|Anna" ] || fail "the planted mark changed the record to $(record)"
[ -z "$(players_files)" ] || fail "files of a user after the planted mark: $(players_files)"
pass "a directory anyone may write is refused, sticky or not; a planted mark is dropped"

# --- a record file the keeper can't write, though it keeps some write bits, is frozen
# (root writes through any mode, so only a user's keeper meets it)
chmod g-w "$shared/tavrec.txt"
status=$(status_of as "$user_b" "$keeper" save 50 Bea)
[ "$status" = 1 ] || fail "a record file without group write gave $status to a save, not 1"
[ "$(record)" = "6|Anna" ] || fail "a record file without group write became $(record)"
chmod 0664 "$shared/tavrec.txt"
pass "a record file the keeper can't write freezes the record"

# --- a keeper killed at random moments of its saves leaves a whole pair
# The moment is drawn over the measured time of one save.
as_a_directly() { as_directly "$user_a" "$@"; }
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
        [ -s "$shared/tavrec.lock" ] || fail "kill round $round: files mixed without the mark"
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
[ -z "$(players_files)" ] || fail "the kills left files of a player: $(ls -la "$shared")"

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
