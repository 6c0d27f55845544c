"""The server list (_lookup_11_/server_list_11.txt): writing and reading back."""

import dataclasses

from text_cursor import TextCursor

LOOKUP_PATH = "_lookup_11_/server_list_11.txt"
HEADER = "I\n1100 version\nSERVERS\n\n"


class ServerListError(ValueError):
    pass


@dataclasses.dataclass
class Server:
    host: str
    path: str
    name: str


def parse_mirror(mirror):
    """"host[:port]/path/" -> (host, "/path/"): split at the first "/"."""
    cut = mirror.find("/")
    if cut <= 0 or not mirror.endswith("/"):
        raise ServerListError("mirror %r is not HOST[:PORT]/PATH/ (path ending with '/')" % mirror)
    return mirror[:cut], mirror[cut:]


def _check_value(what, value):
    # One line each; the reader drops leading blanks and skips empty lines.
    if not value or value != value.strip() or any(ord(c) < 0x20 for c in value):
        raise ServerListError("%s %r must be one non-empty line without outer blanks" % (what, value))


def write_server_list(beta, final, full, servers):
    for what, value in (("beta name", beta), ("final name", final), ("full name", full)):
        _check_value(what, value)
    lines = [HEADER, "BETA %s\nFINAL %s\nFULL %s\n\n" % (beta, final, full)]
    for server in servers:
        for what, value in (("host", server.host), ("path", server.path), ("name", server.name)):
            _check_value(what, value)
        if not server.path.startswith("/"):
            raise ServerListError("server path %r must start with '/'" % server.path)
        lines.append("SERVER %s\n%s\n%s\n" % (server.host, server.path, server.name))
    lines.append("ENDOFLIST\n")
    return "".join(lines).encode("utf-8")


def read_server_list(data):
    """Reads a server list as the installer does: (fields dict, servers)."""
    cur = TextCursor(data)
    if cur.check_header((1100,), b"SERVERS") == 0:
        raise ServerListError("wrong server list header")
    fields, servers = {}, []
    text_keys = (b"BETA", b"FINAL", b"FULL")
    while not cur.at_end():
        for key in text_keys:
            if cur.keyword(key):
                fields[key.decode()] = cur.rest_of_line().decode()
                break
        else:
            if cur.keyword(b"BETA_INSTALLER_MAC") or cur.keyword(b"FINAL_INSTALLER_MAC"):
                cur.word()
                cur.rest_of_line()
            elif cur.keyword(b"BETA_VERSION") or cur.keyword(b"FINAL_VERSION"):
                cur.integer()
                cur.skip_line()
            elif cur.keyword(b"ENDOFLIST", loose_end=True):
                break
            elif cur.keyword(b"SERVER", loose_end=True):
                host, path, name = (cur.rest_of_line().decode() for _ in range(3))
                servers.append(Server(host, path, name))
            else:
                cur.skip_line()
    return fields, servers
