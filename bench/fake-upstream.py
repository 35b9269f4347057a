#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A stand-in for the upstream scoreboard API on loopback, for trying and
measuring fixtora-backend --source espn without the network: serves the
recorded Serie A 2019-20 season (114 real daily answers) as one league.
GET /scoreboard gives the default answer (with the season's start and end);
GET /scoreboard?dates=A-B gives the recorded events of those days.
Prints the port it listens on, then serves until killed."""
import http.server
import io
import json
import os
import sys
import tarfile
import threading

ROOT = os.path.dirname(os.path.abspath(__file__))
ARCHIVE = os.path.join(ROOT, "..", "tests", "data", "files", "espn", "ita1_2019-20_season_daily_scoreboards.tar.gz")

events, default = {}, None
with tarfile.open(ARCHIVE) as tar:
    for member in sorted(tar.getmembers(), key=lambda m: m.name):
        if not member.name.endswith(".json"):
            continue
        doc = json.load(tar.extractfile(member))
        default = default or doc
        for e in doc.get("events", []):
            events[e["id"]] = e
days = {}
for e in events.values():
    days.setdefault(e["date"][:10].replace("-", ""), []).append(e)
requests = {"count": 0}
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        path, _, query = self.path.partition("?")
        if path == "/_count":
            return self.answer(json.dumps(requests).encode())
        if path != "/scoreboard":
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with lock:
            requests["count"] += 1
        params = dict(p.partition("=")[::2] for p in query.split("&") if p)
        if "dates" in params:
            first, _, last = params["dates"].partition("-")
            chosen = [e for d, es in sorted(days.items()) if first <= d <= (last or first) for e in es]
            body = dict(default, events=chosen)
        else:
            body = default
        self.answer(json.dumps(body).encode())

    def answer(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1]) if len(sys.argv) > 1 else 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
