#!/usr/bin/env python3
# PHP's built-in server as the end-to-end scripts start it: on a port that
# another program has taken meanwhile, it is started again elsewhere and
# returned only once it serves its own folder.
#   end_to_end_test.py
import os
import shutil
import socket
import sys
import tempfile
import urllib.request

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import check, finish, require, start_php  # noqa: E402

require("php")
work = tempfile.mkdtemp(prefix="bramo-php-")
taken = socket.socket()
server = None
try:
    with open(os.path.join(work, "page.txt"), "w") as f:
        f.write("ours")
    taken.bind(("127.0.0.1", 0))
    taken.listen(8)  # accepts connections, answers nothing
    port = taken.getsockname()[1]
    server = start_php(work, port)
    check(server.port != port, f"a taken port {port} is left for another")
    with urllib.request.urlopen(server.url("/page.txt"), timeout=10) as r:
        check(r.read() == b"ours", "the server returned serves its own folder")
finally:
    if server is not None:
        server.stop()
    taken.close()
    shutil.rmtree(work, ignore_errors=True)
finish()
