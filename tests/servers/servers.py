#!/usr/bin/env python3
"""Starts and stops the HTTP servers of the loader and engine tests.

  servers.py start STATE_DIR [--nginx-port N] [--limit-rate BYTES] [--fault-port M]
                                nginx and the fault server, both on 127.0.0.1 with
                                free ports (nginx on N, the fault server on M when
                                given: the loopback launcher has its port built in),
                                sharing the document root STATE_DIR/www; nginx sends
                                each answer at most BYTES a second when given
  servers.py stop STATE_DIR     stops both (also what an earlier run left)

start writes STATE_DIR/servers.txt with one key=value per line: nginx_port,
fault_port, docroot, nginx_access_log. The tests find it through KQ_TEST_SERVERS.
Everything the servers write stays inside STATE_DIR.
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

NOT_FOUND_PAGE = (
    "<html>\n"
    "<head><title>404 Not Found</title></head>\n"
    "<body>The file you asked for is not on this server.</body>\n"
    "</html>"
)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def wait_until(check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return True
        time.sleep(0.05)
    return check()


def read_pid(path):
    try:
        with open(path) as f:
            return int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        return None


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie child of ours counts as gone.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def stop_pid(path, name):
    pid = read_pid(path)
    if pid is None:
        return
    if alive(pid):
        os.kill(pid, signal.SIGTERM)
        if not wait_until(lambda: not alive(pid), 10):
            os.kill(pid, signal.SIGKILL)
            wait_until(lambda: not alive(pid), 5)
        print("stopped %s (pid %d)" % (name, pid))
    try:
        os.remove(path)
    except FileNotFoundError:
        pass


def stop(state):
    try:
        os.remove(os.path.join(state, "servers.txt"))
    except FileNotFoundError:
        pass
    stop_pid(os.path.join(state, "nginx", "nginx.pid"), "nginx")
    stop_pid(os.path.join(state, "fault.pid"), "fault server")


def nginx_program():
    # Debian installs nginx in /usr/sbin, which is not on every user's PATH.
    found = shutil.which("nginx", path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")
    if not found:
        raise SystemExit("nginx is not installed")
    return found


def start_nginx(state, fixed_port=None, limit_rate=0):
    program = nginx_program()
    conf_in = open(os.path.join(HERE, "nginx.conf.in")).read()
    prefix = os.path.join(state, "nginx")
    conf = os.path.join(prefix, "nginx.conf")
    for attempt in range(5):
        port = fixed_port or free_port()
        with open(conf, "w") as f:
            f.write(conf_in.replace("@STATE@", state).replace("@PORT@", str(port))
                    .replace("@LIMIT_RATE@", str(limit_rate)))
        with open(os.devnull, "rb") as null, open(os.path.join(prefix, "start.log"), "ab") as log:
            code = subprocess.call([program, "-p", prefix + "/", "-c", conf, "-e", os.path.join(prefix, "error.log")],
                                   stdin=null, stdout=log, stderr=log)
        if code == 0 and wait_until(lambda: accepts(port), 10):
            return port
        stop_pid(os.path.join(prefix, "nginx.pid"), "nginx")
        if fixed_port:
            # The port may still be held by an nginx that another run is stopping.
            time.sleep(1)
    raise SystemExit("nginx did not start; see %s" % os.path.join(prefix, "error.log"))


def start_fault_server(state, fault_port=0):
    port_file = os.path.join(state, "fault.port")
    if os.path.exists(port_file):
        os.remove(port_file)
    with open(os.devnull, "rb") as null, open(os.path.join(state, "fault.log"), "ab") as log:
        process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "fault_server.py"), "--root", os.path.join(state, "www"),
             "--port-file", port_file, "--port", str(fault_port)],
            stdin=null, stdout=log, stderr=log, start_new_session=True)
    with open(os.path.join(state, "fault.pid"), "w") as f:
        f.write("%d\n" % process.pid)
    if not wait_until(lambda: os.path.exists(port_file), 10):
        raise SystemExit("the fault server did not start; see %s" % os.path.join(state, "fault.log"))
    port = int(open(port_file).read())
    if not wait_until(lambda: accepts(port), 10):
        raise SystemExit("the fault server does not accept connections")
    return port


def start(state, fixed_port=None, limit_rate=0, fault_port=0):
    stop(state)
    www = os.path.join(state, "www")
    for folder in (www, os.path.join(www, "ClientPatchFiles_ZV"), os.path.join(state, "nginx", "tmp")):
        os.makedirs(folder, exist_ok=True)
    with open(os.path.join(www, "notfound.html"), "w", newline="") as f:
        f.write(NOT_FOUND_PAGE)
    try:
        nginx_port = start_nginx(state, fixed_port, limit_rate)
        fault_port = start_fault_server(state, fault_port)
    except BaseException:
        stop(state)
        raise
    with open(os.path.join(state, "servers.txt"), "w") as f:
        f.write("nginx_port=%d\n" % nginx_port)
        f.write("fault_port=%d\n" % fault_port)
        f.write("docroot=%s\n" % www)
        f.write("nginx_access_log=%s\n" % os.path.join(state, "nginx", "access.log"))
    print("nginx on 127.0.0.1:%d, fault server on 127.0.0.1:%d" % (nginx_port, fault_port))


def parse_options(args):
    options = {"fixed_port": None, "limit_rate": 0, "fault_port": 0}
    names = {"--nginx-port": "fixed_port", "--limit-rate": "limit_rate", "--fault-port": "fault_port"}
    if len(args) % 2 != 0:
        raise SystemExit(__doc__)
    for name, value in zip(args[::2], args[1::2]):
        if name not in names or not value.isdigit():
            raise SystemExit(__doc__)
        options[names[name]] = int(value)
    return options


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("start", "stop"):
        raise SystemExit(__doc__)
    state = os.path.abspath(sys.argv[2])
    os.makedirs(state, exist_ok=True)
    if sys.argv[1] == "start":
        start(state, **parse_options(sys.argv[3:]))
    elif len(sys.argv) == 3:
        stop(state)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
