#!/usr/bin/python3
"""Serves the built page on this machine only (127.0.0.1), cross-origin isolated: every answer
says that the page keeps to its own origin and embeds nothing from another, which is what a
browser asks before it gives a page shared memory, and so threads to the planner's worker.

Usage: serve.py [--port PORT] SITE
"""
import argparse
import functools
import http.server


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    """The page's files with their types; cross-origin isolated unless `isolated` is false."""
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript"}
    isolated = True

    def end_headers(self):
        if self.isolated:
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        super().end_headers()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("site")
    args = parser.parse_args()
    handler = functools.partial(SiteHandler, directory=args.site)
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        print(f"Serving {args.site} at http://127.0.0.1:{args.port}/ (cross-origin isolated)")
        server.serve_forever()


if __name__ == "__main__":
    main()
