"""Drives the real talvik binary over pipes, for the end-to-end tests.

A TalvikSession starts the engine in a fresh temporary working directory
(where it looks for talvik.ini and writes its log), sends it lines, reads its
reply lines with deadlines, and checks how it ends. run_tool() runs a
command-line tool to completion.

Deadlines only catch hangs: they are generous, and longer still in the
sanitizer builds. No test measures speed with them.
"""

import os
import queue
import re
import shutil
import subprocess
import tempfile
import threading

BINARY = os.environ.get("TALVIK_BINARY", "")
DATA_DIR = os.environ.get("TALVIK_DATA_DIR", os.path.join(os.path.dirname(__file__), "..", "data"))
SANITIZED = bool(os.environ.get("TALVIK_SANITIZE"))
SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# Seconds before a silent engine counts as hung.
DEADLINE = 120.0 if SANITIZED else 30.0

TIME_STAMP = re.compile(r"^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} ")


def require_tools(test, missing, what, required_by):
    """Skips `test` when tools it needs are missing, or fails it on CI or when
    the environment variable `required_by` says the test must run."""
    if not missing:
        return
    message = f"{what} needs " + ", ".join(missing)
    if os.environ.get("CI") or os.environ.get(required_by):
        test.fail(message)
    test.skipTest(message)


def ini_text(settings):
    """talvik.ini text from a dict (key=value lines in order) or a string."""
    if isinstance(settings, str):
        return settings
    return "".join(f"{key}={value}\n" for key, value in settings.items())


def make_workdir(ini=None, html=False, files=None):
    """A temporary working directory with an optional talvik.ini, the html/
    folder the HTML log refers to when `html` is set, and `files` (a dict of
    name to text)."""
    workdir = tempfile.mkdtemp(prefix="talvik-e2e-")
    for name, text in (files or {}).items():
        with open(os.path.join(workdir, name), "w", encoding="utf-8", newline="") as f:
            f.write(text)
    if ini is not None:
        with open(os.path.join(workdir, "talvik.ini"), "w", encoding="latin-1", newline="") as f:
            f.write(ini_text(ini))
    if html:
        shutil.copytree(os.path.join(SOURCE_DIR, "html"), os.path.join(workdir, "html"))
    return workdir


def mask_time_stamps(text):
    """Replaces the time stamp at the start of each plain-text log line by TS."""
    return "\n".join(TIME_STAMP.sub("TS ", line) for line in text.split("\n"))


class TalvikSession:
    """One engine process in protocol mode (or any mode reading stdin)."""

    def __init__(self, args=(), ini=None, html=False, workdir=None, command=None):
        """`command` replaces the binary (for an emulator in front of it)."""
        if not BINARY and command is None:
            raise RuntimeError("TALVIK_BINARY is not set")
        self.own_workdir = workdir is None
        self.workdir = workdir or make_workdir(ini, html)
        self.proc = subprocess.Popen(
            [*(command or [BINARY]), *args],
            cwd=self.workdir,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
        )
        self.lines = queue.Queue()
        self.seen = []  # every line read so far
        self.stderr_chunks = []
        self._reader = threading.Thread(target=self._read_stdout, daemon=True)
        self._reader.start()
        self._err_reader = threading.Thread(target=self._read_stderr, daemon=True)
        self._err_reader.start()

    def _read_stdout(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.rstrip(b"\n").decode("utf-8", "replace"))
        self.lines.put(None)  # end of output

    def _read_stderr(self):
        for chunk in iter(lambda: self.proc.stderr.read(4096), b""):
            self.stderr_chunks.append(chunk)

    # -- input --------------------------------------------------------------

    def send(self, line):
        """Sends one line (str or bytes); a line feed is added."""
        data = line if isinstance(line, bytes) else line.encode("utf-8")
        self.send_raw(data + b"\n")

    def send_raw(self, data):
        try:
            self.proc.stdin.write(data)
            self.proc.stdin.flush()
        except BrokenPipeError:
            pass  # the engine has ended; the test looks at how

    def close_stdin(self):
        try:
            self.proc.stdin.close()
        except BrokenPipeError:
            pass

    # -- output -------------------------------------------------------------

    def read_line(self, timeout=DEADLINE):
        """The next output line, or None once the output has ended."""
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError(f"no output within {timeout} s; seen so far: {self.seen[-20:]}")
        if line is None:
            self.lines.put(None)  # stays ended
            return None
        self.seen.append(line)
        return line

    def wait_for(self, pattern, timeout=DEADLINE):
        """Reads lines until one matches the regular expression; returns the match."""
        regex = re.compile(pattern)
        while True:
            line = self.read_line(timeout)
            if line is None:
                raise AssertionError(f"output ended before /{pattern}/; seen: {self.seen[-20:]}")
            match = regex.search(line)
            if match:
                return match

    def remaining_output(self, timeout=DEADLINE):
        """Every line up to the end of the output (the process must end)."""
        lines = []
        while True:
            line = self.read_line(timeout)
            if line is None:
                return lines
            lines.append(line)

    # -- ending -------------------------------------------------------------

    def wait_exit(self, timeout=DEADLINE):
        """The exit status; fails (and kills the engine) if it does not end."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise AssertionError(f"engine did not exit within {timeout} s; seen: {self.seen[-20:]}")

    @property
    def stderr(self):
        self._err_reader.join(timeout=DEADLINE)
        return b"".join(self.stderr_chunks).decode("utf-8", "replace")

    def file_path(self, name):
        return os.path.join(self.workdir, name)

    def read_file(self, name):
        with open(self.file_path(name), encoding="utf-8", errors="replace", newline="") as f:
            return f.read()

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            try:
                stream.close()
            except (BrokenPipeError, OSError):
                pass
        if self.own_workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


class ToolRun:
    """The result of run_tool: exit status, output, and the text of every file
    the run left in its working directory (talvik.ini, logs)."""

    def __init__(self, returncode, stdout, stderr, files):
        self.returncode = returncode
        self.stdout = stdout
        self.lines = stdout.split("\n")
        if self.lines and self.lines[-1] == "":
            self.lines.pop()
        self.stderr = stderr
        self.files = files


def read_files(workdir, raw=False):
    """Every file of the working directory: text, or bytes when `raw`."""
    files = {}
    for name in os.listdir(workdir):
        path = os.path.join(workdir, name)
        if os.path.isfile(path):
            if raw:
                with open(path, "rb") as f:
                    files[name] = f.read()
            else:
                with open(path, encoding="utf-8", errors="replace", newline="") as f:
                    files[name] = f.read()
    return files


def run_tool(args, ini=None, stdin=b"", timeout=None, files=None):
    """Runs the binary with `args` in a fresh working directory (see
    make_workdir) until it ends."""
    workdir = make_workdir(ini, files=files)
    try:
        done = subprocess.run(
            [BINARY, *args],
            cwd=workdir,
            input=stdin,
            capture_output=True,
            timeout=timeout or DEADLINE * 4,
        )
        run = ToolRun(
            done.returncode,
            done.stdout.decode("utf-8", "replace"),
            done.stderr.decode("utf-8", "replace"),
            read_files(workdir),
        )
        run.raw_files = read_files(workdir, raw=True)
        return run
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
