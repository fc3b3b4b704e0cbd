"""Running a process under a host name of the test's choosing: a private UTS namespace
(`unshare -u`, which needs root) in which the name is written before the process starts."""

import subprocess

_SET_AND_EXEC = 'printf %s "$0" > /proc/sys/kernel/hostname && exec "$@"'


def under_host_name(host, command):
    """`command` (a list of str or bytes) run under the host name `host`."""
    if command and isinstance(command[0], bytes):
        return [b"unshare", b"-u", b"sh", b"-c", _SET_AND_EXEC.encode(), host.encode()] + command
    return ["unshare", "-u", "sh", "-c", _SET_AND_EXEC, host] + command


def can_set_host_name():
    try:
        probe = subprocess.run(under_host_name("hv-probe", ["true"]), capture_output=True,
                               timeout=30)
    except OSError:
        return False
    return probe.returncode == 0
