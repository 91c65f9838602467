"""RunEngine with the real orvpdf.dll, through the engine host's probe program."""
import os
import shutil
import subprocess

from harness import (AppTestCase, BUILD_DIR, REAL_ENGINE, SOURCE_DIR, TEST_DIR, TRIPLE, WINE_RUN,
                     pdf_fonts, pdf_info, tool, windows_path)

SAMPLE = os.path.join(SOURCE_DIR, "examples", "sample.ps")
FIXED = ["gs", "-dBATCH", "-dSAFER", "-DNOPAUSE", "-q", "-sDEVICE=pdfwrite"]


class RealEngineTest(AppTestCase):
    def run_engine(self, name, arguments):
        """Runs RunEngine(arguments) from a folder holding the real engine;
        returns (status, output of the run)."""
        folder = os.path.join(TEST_DIR, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(os.path.join(BUILD_DIR, "tests", "engine", "engine_probe.exe"), folder)
        shutil.copy(REAL_ENGINE, os.path.join(folder, "orvpdf.dll"))
        completed = subprocess.run(
            [WINE_RUN, TRIPLE, os.path.join(folder, "engine_probe.exe"), "run", *arguments],
            stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        output = (completed.stdout + completed.stderr).decode("latin-1")
        return completed.returncode, output, folder

    def test_converts_with_fonts_security_and_presets(self):
        cases = [
            ("plain", [], False, None),
            ("prepress", ["-dPDFSETTINGS=/prepress"], True, None),
            ("secured", ["-sOwnerPassword=o", "-sUserPassword=u", "-dEncryptionR=3",
                         "-dKeyLength=128", "-dPermissions=-3904"], False, "o"),
        ]
        for name, switches, embedded, owner in cases:
            with self.subTest(name):
                folder = os.path.join(TEST_DIR, "real-" + name)
                output = os.path.join(folder, "out.pdf")
                status, text, _ = self.run_engine(
                    "real-" + name, FIXED + ["-sOutputFile=" + windows_path(output)] + switches +
                    ["-c", ".setpdfwrite", "-f", windows_path(SAMPLE)])
                self.assertEqual(0, status, text)
                self.assertIn("status=0", text)
                password = ["-opw", owner] if owner else []
                info = tool("pdfinfo", *password, output)
                self.assertIn("Pages:           1", info)
                words = tool("pdftotext", *password, output, "-")
                self.assertIn("Quarterly report", words)
                fonts = tool("pdffonts", *password, output)
                self.assertIn("Times-Roman", fonts)
                self.assertIn("Helvetica", fonts)
                if not owner:
                    self.assertTrue(all(e == embedded for e in pdf_fonts(output).values()),
                                    pdf_fonts(output))
                else:
                    shown = tool("qpdf", "--show-encryption", "--password=" + owner, output)
                    self.assertIn("R = 3", shown)
                    self.assertIn("P = -3904", shown)

    def test_malformed_job_ends_with_the_fatal_status_and_the_engines_message(self):
        folder = os.path.join(TEST_DIR, "real-malformed-job")
        os.makedirs(folder, exist_ok=True)
        job = os.path.join(folder, "bad.ps")
        with open(job, "wb") as f:
            f.write(b"%!PS\n/Times-Roman findfont 12 scalefont setfont\n(unterminated show\n")
        status, text, _ = self.run_engine(
            "real-malformed", FIXED + ["-sOutputFile=" + windows_path(job + ".pdf"),
                                       "-c", ".setpdfwrite", "-f", windows_path(job)])
        # This engine ends a job stopped by an error with its fatal result
        # (-100), which the host maps to status 1.
        self.assertEqual(1, status, text)
        self.assertIn("Error: /syntaxerror", text)
        self.assertIn("status=1", text)
        self.assertNotIn("C stack overflow", text)
        self.assertIn("gui-thread=ended", text)
