"""A print job on standard input becomes a PDF with the real engine."""
import json
import os
import subprocess

from harness import (AppFolder, AppTestCase, REAL_ENGINE, SOURCE_DIR, ini_value, pdf_fonts,
                     pdf_info, tool, windows_path)

DO_NOTHING, OPEN, OPEN_FOLDER, EMAIL_TO = 1001, 1002, 1003, 1004
SAVE_AS = 1005
SAMPLE = os.path.join(SOURCE_DIR, "examples", "sample.ps")


def write_job(folder, name, text):
    path = folder.file(name)
    with open(path, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode("latin-1"))
    return path


class ConversionTest(AppTestCase):
    def convert(self, app, name, stdin_mode="file", job=SAMPLE, **kwargs):
        output = app.file(name)
        report = app.run(stdin=(stdin_mode, job), texts=[(SAVE_AS, windows_path(output))],
                         clicks=[DO_NOTHING], finish="start", **kwargs)
        self.assertEqual("found", report.get("dialog"))
        self.assertEqual("1", report.get("finished"), report)
        self.assertEqual("0", report.get("exit_code"))
        return output, report

    def test_job_from_a_file_and_from_a_pipe_with_the_stored_description(self):
        for mode in ("file", "pipe"):
            with self.subTest(stdin=mode):
                app = AppFolder("describe-" + mode, engine=REAL_ENGINE)
                app.write_settings(
                    "[description]\n/Title=Minutes (draft)\n/Author=\n/Subject=Budget \\ plan\n"
                    "/Keywords=money, (plans)\n/CreationDate=2009-06-30T14:05:09-05'00'\n"
                    "/Creator=Desk Writer\n/Producer=\n")
                output, report = self.convert(app, "described", stdin_mode=mode)
                self.assertEqual([], report["messageboxs"])
                info = pdf_info(output + ".pdf")
                self.assertEqual("Minutes (draft)", info.get("Title"))
                self.assertEqual("jsmith", info.get("Author"), "the job's own %%For: line")
                self.assertEqual("Budget \\ plan", info.get("Subject"))
                self.assertEqual("money, (plans)", info.get("Keywords"))
                self.assertEqual("Desk Writer", info.get("Creator"))
                self.assertEqual("2009-06-30T14:05:09-05", info.get("CreationDate"))
                self.assertEqual("1", info.get("Pages"))
                text = tool("pdftotext", output + ".pdf", "-")
                self.assertIn("Quarterly report", text)
                self.assertIn("Sales grew in every region", text)
                # The temporary copies of the job are gone when the process ends.
                self.assertEqual([], os.listdir(app.file("tmp")))

    def test_security_switches_encrypt_the_pdf(self):
        app = AppFolder("security", engine=REAL_ENGINE)
        app.write_settings(
            "[command]\n-dPDFSETTINGS=/printer\n-sOwnerPassword=owner secret\n"
            "-sUserPassword=user pw\n-dPermissions=-3904\n-dEncryptionR=3\n-dKeyLength=128\n"
            "[option]\nset password=true\n")
        output, report = self.convert(app, "secured.pdf")
        self.assertEqual([], report["messageboxs"])
        encrypt = json.loads(tool("qpdf", "--json", "--json-key=encrypt",
                                  "--password=owner secret", output))["encrypt"]
        self.assertTrue(encrypt["ownerpasswordmatched"])
        self.assertEqual({"R": 3, "bits": 128, "method": "RC4", "P": -3904},
                         {k: encrypt["parameters"][k] for k in ("R", "bits", "method", "P")})
        self.assertFalse(any(encrypt["capabilities"].values()), encrypt["capabilities"])
        # The user password opens it too; no password does not.
        tool("qpdf", "--show-encryption", "--password=user pw", output)
        self.assertNotEqual(0, subprocess.run(["qpdf", "--check", output],
                                              capture_output=True).returncode)

    def test_presets_decide_whether_standard_fonts_are_embedded(self):
        for preset, embedded in (("/prepress", True), ("/screen", False)):
            with self.subTest(preset=preset):
                app = AppFolder("fonts" + preset.replace("/", "-"), engine=REAL_ENGINE)
                app.write_settings(f"[command]\n-dPDFSETTINGS={preset}\n")
                output, _ = self.convert(app, "fonts.pdf")
                fonts = pdf_fonts(output)
                self.assertTrue(any("Times" in name for name in fonts), fonts)
                for name, is_embedded in fonts.items():
                    self.assertEqual(embedded, is_embedded, f"{preset}: {name}")

    def test_percent_and_blanks_in_the_name(self):
        app = AppFolder("percent", engine=REAL_ENGINE)
        output, report = self.convert(app, "50% off report.pdf")
        self.assertEqual([], report["messageboxs"])
        self.assertTrue(os.path.exists(output), os.listdir(app.path))
        self.assertEqual("1", pdf_info(output).get("Pages"))

    def test_failures_are_shown_and_skip_the_post_action(self):
        app = AppFolder("failures", engine=REAL_ENGINE)
        bad = write_job(app, "bad.ps", "%!PS\n/Helvetica findfont 12 scalefont setfont\n"
                                         "72 72 moveto (unbalanced show\n")
        # The engine itself leaves a PDF without pages behind for a malformed or
        # empty job; what matters is that the user is told and nothing is
        # opened or mailed.
        cases = [
            ("malformed job", ("file", bad), app.file("bad.pdf"), "could not be created"),
            ("folder that does not exist", ("file", SAMPLE), app.file("missing", "x.pdf"),
             "could not be created"),
            ("empty standard input", ("file", write_job(app, "empty.ps", b"")),
             app.file("empty.pdf"), "was empty"),
            ("no standard input", ("none", None), app.file("none.pdf"), "was empty"),
        ]
        for label, stdin, output, reason in cases:
            with self.subTest(label):
                report = app.run(stdin=stdin, texts=[(SAVE_AS, windows_path(output))],
                                 clicks=[EMAIL_TO], finish="start")
                self.assertEqual("1", report.get("finished"))
                self.assertEqual(1, len(report["messageboxs"]), report["messageboxs"])
                caption, _, text = report["messageboxs"][0].partition("|")
                self.assertEqual("ORV PDF Creator", caption)
                self.assertIn(reason, text)
                if label == "malformed job":
                    self.assertIn("Error: /syntaxerror", text, "the engine's own reason")
                    self.assertIn("Error: /syntaxerror",
                                  open(app.file("output.txt"), "rb").read().decode("latin-1"),
                                  "still on standard error")
