#!/usr/bin/env python3
"""serve_file.py FILE: serves FILE on 127.0.0.1 for every GET, on a port of its choosing, which it prints
on the first line of its output; runs until it is ended. The desktop and install tests' tips feed."""
import http.server
import sys

body = open(sys.argv[1], "rb").read()


class Feed(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/rss+xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Feed)
print(server.server_address[1], flush=True)
server.serve_forever()
