#!/usr/bin/env bash
# Builds the browser version of the demonstration and serves it on
# http://127.0.0.1:PORT/ (default 8000) until Ctrl+C. The folder it serves,
# build/web/site, is plain static files that any web server can serve.
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8000}"
bash tools/setup.sh web
cmake --preset web >/dev/null
cmake --build --preset web --target morvane-site
echo "serve-web.sh: http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web/site
