"""A real print path for end-to-end tests: the CUPS scheduler with a cups-pdf queue as the
default printer, so that what the program prints ends up as a PDF file to look into.

`pdf_printer(work)` starts the scheduler and sets up the queue when needed and stops the
scheduler again if it started it; `no_scheduler(work)` makes sure no scheduler runs. Tests using
either take the CTest resource lock "cups": there is one scheduler for the whole machine.

There is no service manager here, so the scheduler runs in the foreground as a child of the
test. Its process id is kept in the e2e work folder: a scheduler left behind by an interrupted
test is then known as the tests' own, and the next test adopts it (and stops it when done).
"""
import contextlib
import fcntl
import os
import re
import signal
import subprocess
from pathlib import Path

from harness import poll

QUEUE = "PDF"
PPD = "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd"
# The page Wine's PostScript driver reports for that queue: A4 at 300 dots per inch, printable
# area in device pixels (HORZRES, VERTRES) and in whole millimetres (HORZSIZE, VERTSIZE).
HORZRES, VERTRES, HORZSIZE, VERTSIZE = 2479, 3508, 209, 297
DPI = 300


def _run(*args, check=False):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=30, check=check)


def scheduler_running():
    return "scheduler is running" in _run("lpstat", "-r").stdout


def _pid_file(work):
    return Path(work) / "cupsd.pid"


def _alive(pid):
    """True while the process exists and is not a zombie."""
    try:
        stat = Path(f"/proc/{pid}/stat").read_text()
    except OSError:
        return False
    return stat.rsplit(")", 1)[1].split()[0] != "Z"


def _adopt_leftover(work):
    """The process id of a scheduler an earlier test started and left running, or None."""
    try:
        pid = int(_pid_file(work).read_text())
        program = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0]
    except (OSError, ValueError):
        return None
    return pid if os.path.basename(program) == b"cupsd" and _alive(pid) else None


def _start_scheduler(work):
    Path("/run/cups").mkdir(parents=True, exist_ok=True)
    # The scheduler logs to its own files; its standard streams stay quiet.
    process = subprocess.Popen(["cupsd", "-f"], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _pid_file(work).parent.mkdir(parents=True, exist_ok=True)
    _pid_file(work).write_text(str(process.pid))
    poll(scheduler_running, timeout=20, interval=0.05, what="the CUPS scheduler to start")
    return process


def _stop_scheduler(work, process=None, pid=None):
    if process:
        process.terminate()
        process.wait(20)
    else:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGTERM)
        poll(lambda: not _alive(pid), timeout=20, interval=0.05,
             what="the CUPS scheduler to stop")
    _pid_file(work).unlink(missing_ok=True)
    poll(lambda: not scheduler_running(), timeout=10, interval=0.05,
         what="the CUPS scheduler to stop answering")


def _ensure_queue():
    if _run("lpstat", "-v", QUEUE).returncode != 0:
        _run("lpadmin", "-p", QUEUE, "-v", "cups-pdf:/", "-m", PPD, "-E", check=True)
    _run("cupsenable", QUEUE, check=True)
    _run("cupsaccept", QUEUE, check=True)
    if f"destination: {QUEUE}" not in _run("lpstat", "-d").stdout:
        _run("lpadmin", "-d", QUEUE, check=True)


def _output_folder():
    """Where cups-pdf puts the files of this user's jobs ("Out" of its configuration)."""
    folder = "${HOME}/PDF"
    with contextlib.suppress(OSError):
        for line in Path("/etc/cups/cups-pdf.conf").read_text().splitlines():
            if line.startswith("Out "):
                folder = line.split(None, 1)[1].strip()
    return Path(folder.replace("${HOME}", str(Path.home())))


class PdfPrinter:
    """The PDF queue: its jobs and the files they produce."""

    def __init__(self):
        self.folder = _output_folder()

    def _ids(self, which):
        out = _run("lpstat", "-W", which, "-o", QUEUE).stdout
        return sorted(int(n) for n in re.findall(rf"^{QUEUE}-(\d+)\s", out, re.MULTILINE))

    def job_ids(self):
        """Every job the queue knows, finished or not, in order."""
        return self._ids("all")

    def last_job_id(self):
        ids = self.job_ids()
        return ids[-1] if ids else 0

    def wait_pdf(self, after_job, timeout=40):
        """Waits for the first job after `after_job` to complete; returns (job id, PDF path).
        cups-pdf names the file "<job title>-job_<id>.pdf"."""
        def finished():
            done = [job for job in self._ids("completed") if job > after_job]
            if not done:
                return None
            files = list(self.folder.glob(f"*-job_{done[0]}.pdf"))
            return (done[0], files[0]) if files and files[0].stat().st_size > 0 else None
        return poll(finished, timeout=timeout, interval=0.1,
                    what=f"a finished print job after job {after_job}")


@contextlib.contextmanager
def _machine_lock():
    """Held while a test relies on the machine's one scheduler: the ctest resource lock keeps
    the tests of one run apart, this keeps apart two runs (two checkouts) on the same machine."""
    with open("/tmp/orvanta-e2e-cups.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        yield


@contextlib.contextmanager
def pdf_printer(work):
    """A running scheduler with the PDF queue as the default printer, for the duration."""
    with _machine_lock(), _pdf_printer(work) as printer:
        yield printer


@contextlib.contextmanager
def _pdf_printer(work):
    process = pid = None
    if not scheduler_running():
        process = _start_scheduler(work)
    else:
        pid = _adopt_leftover(work)  # None: someone else's scheduler, left alone
    try:
        _ensure_queue()
        yield PdfPrinter()
    finally:
        if process or pid:
            _stop_scheduler(work, process, pid)


@contextlib.contextmanager
def no_scheduler(work):
    """No scheduler for the duration, so that Wine finds no printer. Only a scheduler the tests
    started is stopped; another one fails the test instead of being killed."""
    with _machine_lock(), _no_scheduler(work):
        yield


@contextlib.contextmanager
def _no_scheduler(work):
    if scheduler_running():
        pid = _adopt_leftover(work)
        if not pid:
            raise AssertionError("a CUPS scheduler that the tests did not start is running")
        _stop_scheduler(work, pid=pid)
    yield
