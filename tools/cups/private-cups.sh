#!/usr/bin/env bash
# A private CUPS print server for the printing tests.
#
#   private-cups.sh start DIR   configure and start cupsd in DIR, on a free
#                               port of 127.0.0.1, with the queue "QvCapture"
#   private-cups.sh stop DIR    stop the cupsd that start left running
#
# The queue's backend (qvcapture) keeps each job's document as it came, in
# DIR/out/job-N.pdf.  On success start writes the server's address
# (127.0.0.1:PORT) to DIR/server; when this machine cannot run cupsd it
# writes the reason to DIR/unavailable and still exits 0, so that the
# tests say why they skip.  Needs root (cupsd runs its backends as lp).
set -u

here="$(cd "$(dirname "$0")" && pwd)"
cmd="${1:-}"
dir="${2:-}"
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

unavailable() {
    echo "$*" > "$dir/unavailable"
    echo "private CUPS server unavailable: $*" >&2
    exit 0
}

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        pid="$(cat "$dir/cupsd.pid")"
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        fi
        rm -f "$dir/cupsd.pid"
    fi
    rm -f "$dir/server"
    if [ -f "$dir/root" ]; then
        case "$(cat "$dir/root")" in /tmp/qvcups.*) rm -rf "$(cat "$dir/root")" ;; esac
        rm -f "$dir/root"
    fi
}

port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start() {
    stop
    rm -rf "$dir"
    mkdir -p "$dir"
    command -v cupsd >/dev/null || unavailable "cupsd is not installed (Debian package cups)"
    command -v lpadmin >/dev/null || unavailable "lpadmin is not installed (Debian package cups-client)"
    [ "$(id -u)" -eq 0 ] || unavailable "cupsd needs root to run its backends as the lp user"
    getent passwd lp >/dev/null || unavailable "there is no lp user"

    root="$dir"
    chmod 0755 "$dir"
    if ! runuser -u lp -- test -x "$dir" 2>/dev/null; then
        root="$(mktemp -d /tmp/qvcups.XXXXXX)"
        chmod 0755 "$root"
        echo "$root" > "$dir/root"
    fi
    mkdir -p "$root"/{etc/ppd,spool/tmp,cache,state,log,out,lib/backend}
    [ "$root" = "$dir" ] || ln -s "$root/out" "$dir/out"

    # cupsd finds its filters and backends under ServerBin: the system's,
    # and our capture backend beside the system's backends.
    for entry in /usr/lib/cups/*; do
        [ "$(basename "$entry")" = backend ] || ln -s "$entry" "$root/lib/"
    done
    for backend in /usr/lib/cups/backend/*; do ln -s "$backend" "$root/lib/backend/"; done
    install -m 0755 "$here/qvcapture" "$root/lib/backend/qvcapture"

    local port=""
    for _ in $(seq 200); do
        candidate=$((20000 + RANDOM % 30000))
        if port_free "$candidate"; then port="$candidate"; break; fi
    done
    [ -n "$port" ] || unavailable "no free port on 127.0.0.1"

    cat > "$root/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
WebInterface No
Browsing No
DefaultAuthType None
LogLevel warn
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat > "$root/etc/cups-files.conf" <<CONF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
User lp
Group lp
SystemGroup lpadmin root
Sandboxing relaxed
ServerBin $root/lib
CONF
    chown -R lp:lp "$root/spool" "$root/cache" "$root/state" "$root/log" "$root/out"
    chmod 0755 "$root/out"

    setsid cupsd -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" -f \
        </dev/null >"$root/log/cupsd.out" 2>&1 &
    echo $! > "$dir/cupsd.pid"
    for _ in $(seq 100); do
        port_free "$port" || break
        kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || unavailable "cupsd did not start: $(tail -3 "$root/log/cupsd.out" "$root/log/error_log" 2>/dev/null | tr '\n' ' ')"
        sleep 0.1
    done
    port_free "$port" && { stop; unavailable "cupsd does not answer on port $port"; }

    export CUPS_SERVER="127.0.0.1:$port"
    if ! lpadmin -p QvCapture -v "qvcapture:$root/out" -E 2>"$root/log/lpadmin.err"; then
        local why
        why="$(cat "$root/log/lpadmin.err")"
        stop
        unavailable "lpadmin failed: $why"
    fi
    echo "$CUPS_SERVER" > "$dir/server"
    rm -f "$dir/unavailable"
    echo "private CUPS server on $CUPS_SERVER"
}

case "$cmd" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
