#!/usr/bin/env bash
# Starts the desktop app. Unless VEXA_BASE_URL names a service, a local Vexa service is started
# first on a free loopback port, its one-time sign-in code is printed, and the service is
# stopped when the app closes. Arguments go to the local service (e.g. --code 123456).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VEXA_BUILD_DIR:-$root/build}
app=$build/app/vexa-ai
service=$build/service/vexa-service

if [ ! -x "$app" ]; then
    echo "run-app: $app is not built (./vexa run builds it)" >&2
    exit 1
fi

if [ -n "${VEXA_BASE_URL:-}" ]; then
    exec "$app"
fi

if [ ! -x "$service" ]; then
    echo "run-app: $service is not built" >&2
    exit 1
fi

work=$(mktemp -d)
service_pid=
forward_pid=
app_pid=
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -TERM "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [ -n "$service_pid" ] && kill -0 "$service_pid" 2>/dev/null; then
        kill -TERM "$service_pid" 2>/dev/null || true
        wait "$service_pid" 2>/dev/null || true
    fi
    if [ -n "$forward_pid" ]; then
        kill "$forward_pid" 2>/dev/null || true
        wait "$forward_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The service's stdout arrives through a pipe: first its address and code, later any fresh
# code asked for with Enter in this terminal.
mkfifo "$work/out"
"$service" --port 0 "$@" <&0 >"$work/out" &
service_pid=$!
exec 3<"$work/out"

url=
code=
while [ -z "$url" ] || [ -z "$code" ]; do
    if ! IFS= read -r -t 20 line <&3; then
        echo "run-app: the local service did not start" >&2
        exit 1
    fi
    case "$line" in
        "Vexa service listening on "*) url=${line#Vexa service listening on } ;;
        "One-time sign-in code: "*) code=${line#One-time sign-in code: } ;;
    esac
done

echo "Local Vexa service: $url"
echo "One-time sign-in code: $code   (press Enter here for a new one)"

# Keep passing on what the service says while the app runs.
cat <&3 &
forward_pid=$!
exec 3<&-

# In the background, so a signal to this script stops the app and the service at once.
VEXA_BASE_URL=$url "$app" &
app_pid=$!
status=0
wait "$app_pid" || status=$?
app_pid=
exit "$status"
