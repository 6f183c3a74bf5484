"""What a running orvanta.exe holds, measured from outside: from the Windows side through the
driver's process-stats (anonymous memory as Wine reports it, GDI objects counted in the
process's handle table, kernel handles from the system's handle list, windows), and from the
Linux side through /proc (resident memory, its peak, open file descriptors).

Wine reports neither GetGuiResources nor the handle count of another process, hence the
counting; under Wine PrivateUsage is 0 and PagefileUsage follows the anonymous resident memory.
"""
import os
from pathlib import Path

from harness import poll

MIB = 1024 * 1024
# Type numbers in the GDI handle table.
DC_TYPE, REGION_TYPE = 0x1, 0x4
# Wine's cache of device contexts for windows holds up to 64 (DCE_CACHE_SIZE in its dce.c).
WINE_DC_CACHE = 64


def linux_pid(desk):
    """The Linux process id of orvanta.exe in this desk's prefix (not the driver that launched
    it, whose command line names it too)."""
    wanted = f"WINEPREFIX={desk.prefix}".encode()

    def find():
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                argv0 = (entry / "cmdline").read_bytes().split(b"\0")[0]
                environ = (entry / "environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if argv0.lower().endswith(b"\\orvanta.exe") and wanted in environ:
                return int(entry.name)
        return None
    return poll(find, timeout=10, what="the Linux process of orvanta.exe")


def status_kib(pid, *keys):
    """Fields of /proc/PID/status in KiB (VmRSS, VmHWM, RssAnon, ...)."""
    values = {}
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        key, _, rest = line.partition(":")
        if key in keys:
            values[key] = int(rest.split()[0])
    return values


def reset_peak(pid):
    """Starts a new peak: VmHWM is set back to the present resident size."""
    Path(f"/proc/{pid}/clear_refs").write_text("5")


class Footprint:
    """Samples of one program run, each a dict of figures."""

    def __init__(self, desk, program_pid):
        self.desk = desk
        self.pid = program_pid  # the Windows process id
        self.linux_pid = linux_pid(desk)
        # The counting works on this system: ten brushes the driver makes and deletes, three
        # events it opens and closes, are seen coming and going.
        check = desk.driver("process-stats", "--self-test")
        before, during, after = map(int, check["self_gdi"].split(","))
        assert during == before + 10 and after == before, f"GDI counting: {check['self_gdi']}"
        during, after = map(int, check["self_handles"].split(","))
        assert during == after + 3, f"handle counting: {check['self_handles']}"

    def sample(self):
        stats = self.desk.driver("process-stats", "--pid", self.pid)
        status = status_kib(self.linux_pid, "VmRSS", "RssAnon", "VmHWM")
        xvfb = status_kib(self.desk.xvfb.process.pid, "VmRSS")
        # Wine keeps a cache of device contexts for drawing into windows (up to 64, never
        # freed), each with a companion object of type 5 and mostly a region; it fills over the
        # first windows drawn, as fast as painting happens to need them at once. They are
        # counted apart from the other GDI objects.
        types = {int(k, 16): int(v) for k, v in (item.split(":") for item in
                                                  stats["gdi_types"].split(",") if item)}
        dcs = types.get(DC_TYPE, 0)
        with_dcs = dcs + min(types.get(5, 0), dcs) + min(types.get(REGION_TYPE, 0), dcs)
        return {
            "anonymous": int(stats["pagefile"]),  # bytes, Windows side
            "gdi_objects": int(stats["gdi_objects"]),
            "device_contexts": dcs,
            "other_gdi_objects": int(stats["gdi_objects"]) - with_dcs,
            "kernel_handles": int(stats["kernel_handles"]),
            "registry_keys": int(stats["registry_keys"]),
            "windows": int(stats["windows"]),
            "rss": status["VmRSS"] * 1024,
            "rss_anon": status["RssAnon"] * 1024,
            "peak_rss": status["VmHWM"] * 1024,
            "fds": len(os.listdir(f"/proc/{self.linux_pid}/fd")),
            "xvfb_rss": xvfb["VmRSS"] * 1024,
        }

    def peak_of(self, action):
        """Runs action() and returns (its result, the resident peak during it above the resident
        size before it, the resident size before), in bytes."""
        reset_peak(self.linux_pid)
        before = status_kib(self.linux_pid, "VmRSS")["VmRSS"] * 1024
        result = action()
        peak = status_kib(self.linux_pid, "VmHWM")["VmHWM"] * 1024
        return result, peak - before, before


def mib(value):
    return f"{value / MIB:.2f} MiB"
