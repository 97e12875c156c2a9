#!/usr/bin/env bash
# Serves the web build's site (build-web/site, made by tools/web/build.sh) on 127.0.0.1 for a
# person to open in a browser; Ctrl+C ends it.
#
#   tools/web/serve.sh [PORT] [SITE_DIR]      (PORT defaults to 8000)
#
# python3's own web server, with the WebAssembly served as application/wasm (which browsers
# want for streaming compilation). Only this machine can reach it.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
port=${1:-8000}
site=${2:-$root/build-web/site}
case "$port" in
  ''|*[!0-9]*) echo "serve.sh: the port is a number (got $port)" >&2; exit 2 ;;
esac
[ -f "$site/index.html" ] || { echo "serve.sh: no site in $site (tools/web/build.sh makes it)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "serve.sh: python3 is missing" >&2; exit 1; }

exec python3 - "$port" "$site" <<'PY'
import functools, http.server, signal, sys

port, site = int(sys.argv[1]), sys.argv[2]

class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript', '.mp3': 'audio/mpeg',
                      '.3ds': 'application/octet-stream', '.ttf': 'font/ttf'}

    def log_request(self, code='-', size='-'):
        # Only what went wrong (a file that is not there): the browser's console has the rest.
        if str(getattr(code, 'value', code)).isdigit() and int(getattr(code, 'value', code)) >= 400:
            super().log_request(code, size)

try:
    server = http.server.ThreadingHTTPServer(('127.0.0.1', port), functools.partial(Handler, directory=site))
except OSError as error:
    sys.exit(f'serve.sh: cannot listen on 127.0.0.1:{port}: {error.strerror}')
# Ctrl+C (also where the shell started this in the background) and SIGTERM end it.
def stop(signum, frame):
    raise KeyboardInterrupt
signal.signal(signal.SIGINT, stop)
signal.signal(signal.SIGTERM, stop)
print(f'Serving {site} at http://127.0.0.1:{port}/ (Ctrl+C ends it)', flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    print()
finally:
    server.server_close()
PY
