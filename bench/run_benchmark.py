#!/usr/bin/env python3
"""Measures the application against this machine's own gs on the same jobs.

Run by scripts/benchmark.sh, which builds everything, makes the Wine prefix
and provides a display; see there for the options. For each job (a small and
a large one, typeset by make_job.py) and each round it times:

  native   Debian's gs with the application's switches, on the job file
  app      the real application under Wine, driven by app_driver: start,
           dialog, "Start Create PDF" (spool, header rewrite, engine), exit
  startup  the same driver run without a conversion (the dialog is opened
           and closed): what Wine and the application's start cost
  bench    bench_convert under Wine: the steps of the conversion, timed
           phase by phase inside the process
  noop     bench_convert --noop: the start of a bare Wine process
  app_cold, startup_cold
           app and startup again, with Wine's server stopped before

Every PDF is checked with pdfinfo to have the job's page count. The peak
memory of the application process is read from /proc (VmHWM, the resident
set's high-water mark) in one extra, untimed run per job.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time

# The stored switches the application passes, in the order it passes them.
STORED_SWITCH_ORDER = ["-dPDFSETTINGS", "-sProcessColorModel", "-dCompressFonts"]
DO_NOTHING, SAVE_AS = 1001, 1005
WINESERVER = "/usr/lib/wine/wineserver"


def windows_path(path):
    """The Windows form of a path of this machine, as Wine maps it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Failure(Exception):
    pass


class Bench:
    def __init__(self, options):
        self.o = options
        self.work = os.path.abspath(options.work)
        self.wine_run = os.path.join(options.root, "scripts", "wine-run.sh")
        self.driver = os.path.join(options.tree, "tests", "app", "app_driver.exe")
        os.makedirs(self.work, exist_ok=True)
        self.log = open(os.path.join(self.work, "runs.log"), "w")
        self.switches = sorted(options.switch, key=lambda s: STORED_SWITCH_ORDER.index(
            s.split("=", 1)[0]))

    def note(self, text):
        self.log.write(text + "\n")
        self.log.flush()
        if self.o.verbose:
            print(text, file=sys.stderr)

    # ----------------------------------------------------------- set-up ---

    def prepare(self):
        for sub in ("jobs", "out"):
            os.makedirs(os.path.join(self.work, sub), exist_ok=True)
        self.app_dir = self.fresh_folder("app", [os.path.join(self.o.tree, "app", "orvpdf.exe")])
        os.makedirs(os.path.join(self.app_dir, "tmp"))
        self.bench_dir = self.fresh_folder("bench", [self.o.bench_exe])
        self.app_exe = os.path.join(self.app_dir, "orvpdf.exe")
        self.bench_exe = os.path.join(self.bench_dir, os.path.basename(self.o.bench_exe))

    def fresh_folder(self, name, programs):
        """A folder with the programs, the engine and the stored switches."""
        folder = os.path.join(self.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for program in programs + [os.path.join(self.o.tree, "app", "orvpdf.dll")]:
            shutil.copy(program, folder)
        if self.switches:
            lines = ["[command]"] + self.switches
            with open(os.path.join(folder, "setting.ini"), "wb") as f:
                f.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))
        return folder

    def make_job(self, pages):
        path = os.path.join(self.work, "jobs", f"job-{pages}.ps")
        out = subprocess.run([sys.executable, os.path.join(self.o.root, "bench", "make_job.py"),
                              "--pages", str(pages), path],
                             capture_output=True, text=True, check=True).stdout
        fields = dict(item.split("=") for item in out.split())
        return {"path": path, "pages": int(fields["pages"]), "bytes": os.path.getsize(path)}

    # ------------------------------------------------------------- runs ---

    def output(self, kind, job):
        path = os.path.join(self.work, "out", f"{kind}-{job['pages']}.pdf")
        if os.path.exists(path):
            os.remove(path)
        return path

    def check_pdf(self, path, job, what):
        if not os.path.exists(path):
            raise Failure(f"{what}: no PDF written ({path})")
        info = subprocess.run(["pdfinfo", path], capture_output=True, text=True).stdout
        found = re.search(r"^Pages:\s+(\d+)", info, re.M)
        pages = int(found.group(1)) if found else -1
        if pages != job["pages"]:
            raise Failure(f"{what}: the PDF has {pages} pages, the job {job['pages']}")

    def native(self, job):
        out = self.output("native", job)
        # Debian's gs no longer defines .setpdfwrite; our engine keeps it as
        # a procedure that does nothing, so the same is defined here.
        # What follows the job (the DOCINFO mark made from its header) is
        # what the application gave its engine for this job.
        argv = [*self.leading_arguments(out)[:-3],
                "-c", "/.setpdfwrite { } bind def .setpdfwrite", "-f", job["path"],
                *job["after_job"]]
        if not job.get("noted"):
            self.note("native gs: " + " ".join(argv))
            job["noted"] = True
        start = time.perf_counter()
        process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT)
        text = process.stdout.read()
        _, status, usage = os.wait4(process.pid, 0)
        seconds = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            raise Failure("native gs failed: " + text.decode(errors="replace")[-1500:])
        self.check_pdf(out, job, "native gs")
        return {"seconds": seconds, "cpu_s": usage.ru_utime + usage.ru_stime,
                "peak_bytes": usage.ru_maxrss * 1024}

    def wine(self, program, args, stdin=None, sample=None):
        """Runs a Windows program through wine-run.sh, following the memory
        of the process `sample` names if given; (seconds, stdout, sampler)."""
        argv = [self.wine_run, self.o.triple, program, *args]
        sampler = PeakSampler(sample) if sample else None
        with open(stdin or os.devnull, "rb") as source:
            start = time.perf_counter()
            process = subprocess.Popen(argv, stdin=source, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
            if sampler:
                sampler.start()
            try:
                out, err = process.communicate(timeout=self.o.timeout + 120)
            except subprocess.TimeoutExpired:
                process.kill()
                process.communicate()
                raise Failure(f"{os.path.basename(program)} {' '.join(args)} did not finish")
            finally:
                if sampler:
                    sampler.stop()
                    sampler.join()
            seconds = time.perf_counter() - start
        if process.returncode != 0:
            raise Failure(f"{os.path.basename(program)} {' '.join(args)} failed "
                          f"({process.returncode}): " + err.decode(errors="replace")[-1500:])
        return seconds, out.decode(errors="replace"), sampler

    def driver_run(self, job, finish, sample=False):
        report = os.path.join(self.work, "out", "report.txt")
        args = ["--app", windows_path(self.app_exe), "--stdin", "file:" + windows_path(job["path"]),
                "--env", "TMP=" + windows_path(os.path.join(self.app_dir, "tmp")),
                "--env", "TEMP=" + windows_path(os.path.join(self.app_dir, "tmp")),
                "--report", windows_path(report), "--timeout", str(self.o.timeout)]
        out = None
        if finish == "start":
            out = self.output("app", job)
            args += ["--set-text", f"{SAVE_AS}={windows_path(out)}", "--click", str(DO_NOTHING)]
        args.append("--" + finish)
        seconds, _, sampler = self.wine(self.driver, args,
                                        sample=windows_path(self.app_exe) if sample else None)
        with open(report, encoding="latin-1") as f:
            lines = f.read().splitlines()
        fields = dict(line.partition("=")[::2] for line in lines)
        boxes = [line for line in lines if line.startswith("messagebox=")]
        if fields.get("dialog") != "found" or fields.get("finished") != "1" or \
                fields.get("exit_code") != "0" or boxes:
            raise Failure(f"application run ({finish}) went wrong: {fields} {boxes}")
        result = {"seconds": seconds}
        if out:
            self.check_pdf(out, job, "application")
        if sampler:
            result["peak_bytes"] = sampler.peak
        return result

    def app(self, job):
        return self.driver_run(job, "start")

    def app_memory(self, job):
        return self.driver_run(job, "start", sample=True)

    def startup(self, job):
        return self.driver_run(job, "exit")

    def leading_arguments(self, out):
        """The application's engine arguments up to the job's file name."""
        return ["gs", "-dBATCH", "-dSAFER", "-DNOPAUSE", "-q", "-sDEVICE=pdfwrite",
                "-sOutputFile=" + out, *self.switches, "-c", ".setpdfwrite", "-f"]

    def learn_arguments(self, job):
        """Runs bench_convert once, untimed, for the arguments the engine gets
        after the job, so that native gs can be given the same."""
        job["after_job"] = None
        self.bench(job)

    def bench(self, job):
        out = self.output("bench", job)
        seconds, text, _ = self.wine(self.bench_exe, [windows_path(out)], stdin=job["path"])
        fields = {k: float(v) for k, v in re.findall(r"^(\w+)=([0-9.]+)\s*$", text, re.M)}
        if int(fields.get("spooled_bytes", -1)) != job["bytes"]:
            raise Failure(f"bench_convert spooled {fields.get('spooled_bytes')} of "
                          f"{job['bytes']} bytes")
        self.check_pdf(out, job, "bench_convert")
        # The engine must have had the arguments native gs gets, but for the
        # file names and the definition of .setpdfwrite.
        arguments = [line.rstrip("\r") for line in re.findall(r"^argument=(.*)$", text, re.M)]
        leading = self.leading_arguments(windows_path(out))
        if job["after_job"] is None:
            job["after_job"] = arguments[len(leading) + 1:]
            self.note(f"engine arguments for the {job['pages']}-page job: {arguments}")
        if arguments[:len(leading)] != leading or \
                arguments[len(leading) + 1:] != job["after_job"]:
            raise Failure(f"the engine's arguments {arguments} are not the expected "
                          f"{leading} + job + {job['after_job']}")
        fields["seconds"] = seconds
        fields["front_s"] = fields["spool_s"] + fields["scan_s"] + fields["rewrite_s"]
        return fields

    def noop(self, job):
        seconds, _, _ = self.wine(self.bench_exe, ["--noop"])
        return {"seconds": seconds}

    # ------------------------------------------------------------ rounds ---

    # Wine's server, and with it the system processes (services, devices,
    # desktop), stays up between runs only when started persistent: by
    # default it ends soon after its last program, and the next program pays
    # for starting it all again (about a second). The rounds run against a
    # persistent server, as on Windows, where all this is always up; the
    # cold runs start with none.

    def wineserver(self, *args):
        subprocess.run([WINESERVER, *args], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_wine(self):
        self.wineserver("-k")
        self.wineserver("-w")

    def warm_wine(self, job):
        """A persistent server with its system processes and the desktop
        (started with the first window) running."""
        self.stop_wine()
        self.wineserver("-p")
        self.startup(job)

    def cold(self, run):
        def cold_run(job):
            self.stop_wine()
            try:
                return run(job)
            finally:
                self.warm_wine(job)
        return cold_run

    def measure(self, job):
        kinds = [("native", self.native), ("app", self.app), ("startup", self.startup),
                 ("bench", self.bench), ("noop", self.noop),
                 ("app_cold", self.cold(self.app)), ("startup_cold", self.cold(self.startup))]
        runs = {kind: [] for kind, _ in kinds}
        for round_number in range(1, self.o.rounds + 1):
            for kind, run in kinds:
                result = run(job)
                runs[kind].append(result)
                self.note(f"job {job['pages']}p round {round_number} {kind}: "
                          + " ".join(f"{k}={v:.4f}" if isinstance(v, float) else f"{k}={v}"
                                     for k, v in sorted(result.items())))
        memory = self.app_memory(job)
        self.note(f"job {job['pages']}p app memory run: {memory}")
        if not memory.get("peak_bytes"):
            raise Failure("the application process was not seen in /proc")
        summary = {"job": job, "app_peak_bytes": memory["peak_bytes"], "runs": runs}
        for kind, results in runs.items():
            for key in results[0]:
                summary[f"{kind}.{key}"] = statistics.median(r[key] for r in results)
        return summary


class PeakSampler(threading.Thread):
    """Follows the resident-set high-water mark of the Wine process whose
    command line starts with a given Windows path, until it ends or, if it
    never shows up, until stop() is called."""

    def __init__(self, program):
        super().__init__(daemon=True)
        self.program = program.lower()
        self.peak = 0
        self.stopped = threading.Event()

    def stop(self):
        self.stopped.set()

    def find(self):
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                with open(f"/proc/{name}/cmdline", "rb") as f:
                    command = f.read().decode(errors="replace").lower()
            except OSError:
                continue
            if command.startswith(self.program):
                return name
        return None

    def run(self):
        pid = None
        while pid is None and not self.stopped.wait(0.02):
            pid = self.find()
        while pid is not None:
            try:
                with open(f"/proc/{pid}/status") as f:
                    found = re.search(r"^VmHWM:\s+(\d+) kB", f.read(), re.M)
            except OSError:
                return
            if not found:  # a zombie has no memory figures
                return
            # The mark only rises, so the last reading is the peak.
            self.peak = max(self.peak, int(found.group(1)) * 1024)
            time.sleep(0.01)


# ------------------------------------------------------------- report ---

def print_report(small, large, options, versions):
    def row(label, key, fmt="{:.2f}", scale=None):
        values = []
        for s in (small, large):
            value = key(s) if callable(key) else s[key]
            values.append(fmt.format(value * scale if scale else value))
        print(f"  {label:<44}{values[0]:>12}{values[1]:>12}")

    def heading(text):
        print(f"  {text}")

    mib = 1 / (1024 * 1024)
    print()
    print(f"ORV PDF Creator benchmark: {options.triple} build under Wine ({versions['wine']}) "
          f"vs native gs {versions['gs']}")
    print(f"  medians of {options.rounds} rounds; stored switches: "
          f"{' '.join(options.switch) if options.switch else 'none'}")
    print(f"  {'':<44}{'small job':>12}{'large job':>12}")
    row("pages", lambda s: s["job"]["pages"], "{:d}")
    row("bytes of job", lambda s: s["job"]["bytes"], "{:,d}")
    row("native gs (s)", "native.seconds")
    row("app end-to-end, Wine running (s)", "app.seconds")
    row("ratio app / native gs", lambda s: s["app.seconds"] / s["native.seconds"], "{:.2f}x")
    row("  Wine + app start-up, no conversion (s)", "startup.seconds")
    row("  of which a bare Wine process start (s)", "noop.seconds")
    row("  ratio without the start-up", lambda s: (s["app.seconds"] - s["startup.seconds"])
        / s["native.seconds"], "{:.2f}x")
    row("app end-to-end, Wine not running (s)", "app_cold.seconds")
    row("  ratio app / native gs", lambda s: s["app_cold.seconds"] / s["native.seconds"],
        "{:.2f}x")
    row("  Wine + app start-up, no conversion (s)", "startup_cold.seconds")
    heading("phases inside the process (bench_convert):")
    row("  spool (s)", "bench.spool_s", "{:.3f}")
    row("  header scan + rewrite (s)", lambda s: s["bench.scan_s"] + s["bench.rewrite_s"],
        "{:.3f}")
    row("  engine (s)", "bench.engine_s")
    row("  total (s)", "bench.main_s")
    row("  engine / native gs", lambda s: s["bench.engine_s"] / s["native.seconds"], "{:.2f}x")
    row("  the same in processor time", lambda s: s["bench.engine_cpu_s"] / s["native.cpu_s"],
        "{:.2f}x")
    row("front end (spool + rewrite) (s)", "bench.front_s", "{:.3f}")
    row("  share of the in-process total", lambda s: s["bench.front_s"] / s["bench.main_s"],
        "{:.1%}")
    row("  share of app end-to-end", lambda s: s["bench.front_s"] / s["app.seconds"], "{:.1%}")
    heading("peak memory (MiB):")
    row("  native gs (max RSS)", "native.peak_bytes", "{:.1f}", mib)
    row("  orvpdf.exe (VmHWM, sampled)", "app_peak_bytes", "{:.1f}", mib)
    row("  orvpdf.exe above native gs", lambda s: s["app_peak_bytes"] - s["native.peak_bytes"],
        "{:.1f}", mib)
    row("  bench_convert (peak working set)", "bench.peak_ws_bytes", "{:.1f}", mib)
    row("  bench_convert before the engine", "bench.peak_ws_front_bytes", "{:.1f}", mib)

    def growth(key):
        value = (lambda s: s[key]) if isinstance(key, str) else key
        return value(large) / value(small) - 1

    def verdict(ok):
        return "met" if ok else "MISSED"

    ratio = large["app.seconds"] / large["native.seconds"]
    ratio_warm = (large["app.seconds"] - large["startup.seconds"]) / large["native.seconds"]
    ratio_cold = large["app_cold.seconds"] / large["native.seconds"]
    share = large["bench.front_s"] / large["bench.main_s"]
    app_growth = growth("app_peak_bytes")
    above_growth = growth(lambda s: s["app_peak_bytes"] - s["native.peak_bytes"])
    front_growth = growth("bench.peak_ws_front_bytes")
    print(f"targets, on the {large['job']['pages']}-page job:")
    print(f"  app <= 1.2x native gs:           {ratio:.2f}x {verdict(ratio <= 1.2)}"
          f" with Wine running")
    print(f"                                   {ratio_cold:.2f}x {verdict(ratio_cold <= 1.2)}"
          f" with Wine not running")
    print(f"                                   {ratio_warm:.2f}x {verdict(ratio_warm <= 1.2)}"
          f" without the start-up")
    best_app = min(r["seconds"] for r in large["runs"]["app"])
    best_native = min(r["seconds"] for r in large["runs"]["native"])
    print(f"    (best runs: app {best_app:.2f} s, native gs {best_native:.2f} s: "
          f"{best_app / best_native:.2f}x)")
    print(f"  front end <= 3 % of the total:   {share:.1%} {verdict(share <= 0.03)}")
    print(f"  memory flat in job size (at most +10 % from {small['job']['pages']} to "
          f"{large['job']['pages']} pages):")
    print(f"    orvpdf.exe peak                {app_growth:+.0%} {verdict(app_growth <= 0.10)}"
          f" (native gs itself {growth('native.peak_bytes'):+.0%})")
    print(f"    orvpdf.exe above native gs     {above_growth:+.0%} "
          f"{verdict(above_growth <= 0.10)}")
    print(f"    front end, before the engine   {front_growth:+.0%} "
          f"{verdict(front_growth <= 0.10)}")


def tool_version(argv):
    try:
        return subprocess.run(argv, capture_output=True, text=True).stdout.strip()
    except OSError:
        return "?"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", required=True, help="the checkout")
    parser.add_argument("--tree", required=True, help="the application's build tree")
    parser.add_argument("--triple", required=True)
    parser.add_argument("--bench-exe", required=True)
    parser.add_argument("--work", required=True, help="folder for jobs, PDFs and logs")
    parser.add_argument("--pages", type=int, default=1500)
    parser.add_argument("--small-pages", type=int, default=300)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--timeout", type=int, default=900)
    parser.add_argument("--switch", action="append", default=[],
                        help="a stored switch for setting.ini and native gs, e.g. "
                             "-dPDFSETTINGS=/printer")
    parser.add_argument("--verbose", action="store_true")
    options = parser.parse_args()
    for switch in options.switch:
        if switch.split("=", 1)[0] not in STORED_SWITCH_ORDER or "=" not in switch:
            parser.error(f"--switch {switch}: one of {', '.join(STORED_SWITCH_ORDER)}=VALUE")

    bench = Bench(options)
    bench.prepare()
    versions = {"gs": tool_version(["gs", "--version"]),
                "wine": tool_version(["/usr/lib/wine/wine64", "--version"])}
    try:
        print(f"typesetting the jobs ({options.small_pages} and {options.pages} pages)...",
              file=sys.stderr)
        jobs = [bench.make_job(options.small_pages), bench.make_job(options.pages)]
        # Warm up Wine's server, the disk cache and the fonts once, untimed.
        bench.warm_wine(jobs[0])
        for job in jobs:
            bench.learn_arguments(job)
        bench.native(jobs[0])
        summaries = []
        for job in jobs:
            print(f"measuring the {job['pages']}-page job, {options.rounds} rounds...",
                  file=sys.stderr)
            summaries.append(bench.measure(job))
    except Failure as failure:
        sys.exit(f"benchmark: {failure}\n(runs so far: {bench.log.name})")
    print_report(summaries[0], summaries[1], options, versions)
    print(f"every run: {bench.log.name}")


if __name__ == "__main__":
    main()
