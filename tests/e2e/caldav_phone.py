#!/usr/bin/python3
"""The calendar server and the second client of the sync cases.

  caldav_phone.py serve DIR        starts Radicale on 127.0.0.1 on a free port with a
                                   user of its own (ana, plain htpasswd) and the
                                   calendar /ana/casa/; prints its address
  caldav_phone.py stop DIR         stops it
  caldav_phone.py restart DIR      starts it again on the same port and data
  caldav_phone.py list URL         every event, one line each, sorted:
                                   date|summary|colour|exact text (X-TARVINA-TEXT)
  caldav_phone.py add URL UID DATE SUMMARY
  caldav_phone.py change URL SUMMARY NEW_SUMMARY   as a phone corrects a title
  caldav_phone.py delete URL SUMMARY

The second client is Python's caldav library, as a phone would be.
"""
import os
import signal
import socket
import subprocess
import sys
import time

USER, PASSWORD = "ana", "secreto"


def config(folder, port):
    with open(os.path.join(folder, "users"), "w") as f:
        f.write(f"{USER}:{PASSWORD}\n")
    path = os.path.join(folder, "config")
    with open(path, "w") as f:
        f.write(f"""[server]
hosts = 127.0.0.1:{port}
[auth]
type = htpasswd
htpasswd_filename = {folder}/users
htpasswd_encryption = plain
[storage]
filesystem_folder = {folder}/collections
[rights]
type = owner_only
[logging]
level = warning
""")
    return path


def start(folder, port):
    log = open(os.path.join(folder, "radicale.log"), "a")
    proc = subprocess.Popen(["/usr/bin/python3", "-m", "radicale", "--config",
                             config(folder, port)], stdout=log, stderr=log,
                            start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(proc.pid))
    with open(os.path.join(folder, "port"), "w") as f:
        f.write(str(port))
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return
        except OSError:
            time.sleep(0.1)
    sys.exit("Radicale did not start")


def calendar(url):
    import caldav
    client = caldav.DAVClient(url, username=USER, password=PASSWORD)
    return client.calendar(url=url)


def serve(folder):
    os.makedirs(folder, exist_ok=True)
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    start(folder, port)
    import caldav
    client = caldav.DAVClient(f"http://127.0.0.1:{port}/", username=USER, password=PASSWORD)
    client.principal().make_calendar(name="casa", cal_id="casa")
    print(f"http://127.0.0.1:{port}/{USER}/casa/")


def stop(folder):
    try:
        with open(os.path.join(folder, "pid")) as f:
            pid = int(f.read())
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            os.kill(pid, 0)
            time.sleep(0.1)
    except (OSError, ValueError):
        pass


def restart(folder):
    with open(os.path.join(folder, "port")) as f:
        start(folder, int(f.read()))


def vevent(event):
    return event.icalendar_instance.walk("VEVENT")[0]


def listing(url):
    lines = []
    for event in calendar(url).events():
        for e in event.icalendar_instance.walk("VEVENT"):
            start = e.decoded("DTSTART")
            colour = str(e.get("X-TARVINA-COLOR", e.get("COLOR", "")))
            lines.append("|".join([start.strftime("%Y-%m-%d"), str(e.get("SUMMARY", "")), colour,
                                   str(e.get("X-TARVINA-TEXT", "")).replace("\n", "/")]))
    for line in sorted(lines):
        print(line)


def find(url, summary):
    for event in calendar(url).events():
        if str(vevent(event).get("SUMMARY", "")) == summary:
            return event
    sys.exit(f"no event {summary!r}")


def main(argv):
    command = argv[1]
    if command == "serve":
        serve(argv[2])
    elif command == "stop":
        stop(argv[2])
    elif command == "restart":
        restart(argv[2])
    elif command == "list":
        listing(argv[2])
    elif command == "add":
        _, _, url, uid, date, summary = argv
        calendar(url).save_event(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\n"
            f"UID:{uid}\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:{date}\r\n"
            f"SUMMARY:{summary}\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
    elif command == "change":
        event = find(argv[2], argv[3])
        e = vevent(event)
        e["SUMMARY"] = argv[4]  # a phone edits the title and keeps what it does not know
        if "DESCRIPTION" in e:
            e["DESCRIPTION"] = argv[4]
        event.save()
    elif command == "delete":
        find(argv[2], argv[3]).delete()


if __name__ == "__main__":
    main(sys.argv)
