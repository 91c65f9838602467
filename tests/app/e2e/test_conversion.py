"""A print job on standard input becomes a PDF with the real engine."""
import json
import os
import shutil
import subprocess

from harness import (AppFolder, AppTestCase, FAKE_MAPI, REAL_ENGINE, SOURCE_DIR, pdf_fonts,
                     pdf_info, tool, windows_path, wine_reg)

DO_NOTHING, OPEN, OPEN_FOLDER, EMAIL_TO = 1001, 1002, 1003, 1004
SAVE_AS = 1005
SAMPLE = os.path.join(SOURCE_DIR, "examples", "sample.ps")


def use_fake_mapi(test):
    """Makes Wine load the MAPI32.DLL beside orvpdf.exe rather than its own,
    for the rest of the test."""
    key = "HKCU\\Software\\Wine\\AppDefaults\\orvpdf.exe"
    wine_reg("add", key + "\\DllOverrides", "/v", "mapi32", "/d", "native,builtin", "/f")
    test.addCleanup(wine_reg, "delete", key, "/f")


def write_job(folder, name, text):
    path = folder.file(name)
    with open(path, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode("latin-1"))
    return path


class ConversionCase(AppTestCase):
    def convert(self, app, name, stdin_mode="file", job=SAMPLE, **kwargs):
        output = app.file(name)
        report = app.run(stdin=(stdin_mode, job), texts=[(SAVE_AS, windows_path(output))],
                         clicks=[DO_NOTHING], finish="start", **kwargs)
        self.assertEqual("found", report.get("dialog"))
        self.assertEqual("1", report.get("finished"), report)
        self.assertEqual("0", report.get("exit_code"))
        return output, report


class ConversionTest(ConversionCase):
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
        os.makedirs(app.file("folder.pdf"))
        # "EMail to" is chosen with a recording mail system beside the program:
        # a failed conversion must not hand anything to it.
        shutil.copy(FAKE_MAPI, app.file("MAPI32.DLL"))
        record = app.file("mapi.txt")
        use_fake_mapi(self)
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
            ("output names a folder", ("file", SAMPLE), app.file("folder.pdf"),
             "could not be created"),
        ]
        for label, stdin, output, reason in cases:
            with self.subTest(label):
                report = app.run(stdin=stdin, texts=[(SAVE_AS, windows_path(output))],
                                 clicks=[EMAIL_TO], finish="start",
                                 env=[("ORV_FAKE_MAPI_RECORD", windows_path(record))])
                self.assertEqual("1", report.get("finished"))
                self.assertEqual("0", report.get("exit_code"))
                self.assertFalse(os.path.exists(record), "no mail after a failure")
                self.assertEqual(1, len(report["messageboxs"]), report["messageboxs"])
                caption, _, text = report["messageboxs"][0].partition("|")
                self.assertEqual("ORV PDF Creator", caption)
                self.assertIn(reason, text)
                if label == "malformed job":
                    self.assertIn("Error: /syntaxerror", text, "the engine's own reason")
                    self.assertIn("Error: /syntaxerror", report["output"],
                                  "still on the engine's own stream")


class PostActionTest(ConversionCase):
    def test_email_hands_the_pdf_to_the_mail_system(self):
        app = AppFolder("email", engine=REAL_ENGINE)
        shutil.copy(FAKE_MAPI, app.file("MAPI32.DLL"))
        record = app.file("mapi.txt")
        use_fake_mapi(self)
        output = app.file("mailed.pdf")
        report = app.run(stdin=("file", SAMPLE), texts=[(SAVE_AS, windows_path(output))],
                         clicks=[EMAIL_TO], finish="start",
                         env=[("ORV_FAKE_MAPI_RECORD", windows_path(record))])
        self.assertEqual("1", report.get("finished"))
        self.assertEqual([], report["messageboxs"])
        self.assertTrue(os.path.exists(output))
        fields = dict(line.partition("=")[::2] for line in
                      open(record, "rb").read().decode("latin-1").splitlines())
        self.assertEqual('"Please see attachment for more infomation!"', fields.get("subject"))
        self.assertEqual("null", fields.get("noteText"))
        self.assertEqual("0", fields.get("recipCount"))
        self.assertEqual("1", fields.get("fileCount"))
        self.assertEqual(f'"{windows_path(output)}"', fields.get("file.pathName"))
        self.assertEqual(f'"{windows_path(output)}"', fields.get("file.fileName"))
        self.assertEqual("9", fields.get("flags"))
        self.assertNotEqual("0", fields.get("uiParam"), "the dialog owns the compose window")

    def test_open_and_open_folder_run_for_real_without_hanging(self):
        for radio, name in ((OPEN, "open"), (OPEN_FOLDER, "open-folder")):
            with self.subTest(name):
                app = AppFolder(name, engine=REAL_ENGINE)
                output = app.file("shown.pdf")
                report = app.run(stdin=("file", SAMPLE), texts=[(SAVE_AS, windows_path(output))],
                                 clicks=[radio], finish="start", timeout=120)
                self.assertEqual("1", report.get("finished"))
                self.assertEqual("0", report.get("exit_code"))
                self.assertEqual([], report["messageboxs"])
                self.assertTrue(os.path.exists(output))
        # Explorer, started to show the folder, stays open on its own.
        subprocess.run(["pkill", "-f", "explorer.exe /e,/select"], capture_output=True)


class JobBytesTest(ConversionCase):
    def test_binary_image_data_and_a_job_without_end_of_comments(self):
        # A hex-free binary image: the data follows "image" directly, holding
        # Ctrl-Z, NUL, lone CR and CR LF bytes that a text copy would alter.
        data = bytes([0x1A, 0x00, 0x0D, 0x0A, 0x0D, 0xFF, 0x80, 0x25] * 32)
        binary = (b"%!PS-Adobe-3.0\r\n%%Title: Bytes\r\n%%EndComments\r\n"
                  b"72 72 translate 256 256 scale\r\n"
                  b"16 16 8 [16 0 0 16 0 0] {currentfile 256 string readstring pop} image\n"
                  + data + b"\nshowpage\n")
        no_end = b"%!PS-Adobe-3.0\n%%Title: No end\n/Helvetica findfont 20 scalefont setfont\n" \
                 b"72 700 moveto (No end of comments) show\n%%Title: dropped\nshowpage\n"
        # Without "%%EndComments" the whole job is header: the last title wins
        # and the line itself is dropped from the body.
        for label, job, title, text in (("binary", binary, "Bytes", None),
                                        ("no-end", no_end, "dropped", "No end of comments")):
            with self.subTest(label):
                app = AppFolder("bytes-" + label, engine=REAL_ENGINE)
                path = write_job(app, "job.ps", job)
                output, report = self.convert(app, "bytes.pdf", job=path)
                self.assertEqual([], report["messageboxs"])
                info = pdf_info(output)
                self.assertEqual("1", info.get("Pages"))
                self.assertEqual(title, info.get("Title"))
                if text:
                    self.assertIn(text, tool("pdftotext", output, "-"))
