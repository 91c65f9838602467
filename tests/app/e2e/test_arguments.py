"""The engine's argument list, as a fake engine in place of orvpdf.dll sees it."""
import os

from harness import (AppFolder, AppTestCase, FAKE_ENGINE, fake_engine_log, windows_path)

DO_NOTHING, SAVE_AS = 1001, 1005
FIXED = ["gs", "-dBATCH", "-dSAFER", "-DNOPAUSE", "-q", "-sDEVICE=pdfwrite"]
ALL_SWITCHES = ("[command]\n-dPDFSETTINGS=/ebook\n-sProcessColorModel=DeviceGray\n"
                "-dCompressFonts=true\n-sOwnerPassword=two words\n-sUserPassword=u\n"
                "-dPermissions=3900\n-dEncryptionR=3\n-dKeyLength=128\n")


class ArgumentListTest(AppTestCase):
    def arguments(self, name, settings=None, job=b"%!PS\nshowpage\n", output_name="out.pdf",
                  **run):
        app = AppFolder(name, engine=FAKE_ENGINE)
        if settings is not None:
            app.write_settings(settings)
        with open(app.file("job.ps"), "wb") as f:
            f.write(job)
        log = app.file("calls.log")
        output = windows_path(app.file(output_name))
        report = app.run(stdin=("file", app.file("job.ps")), texts=[(SAVE_AS, output)],
                         clicks=[DO_NOTHING], finish="start",
                         env=[("FAKE_GS_LOG", windows_path(log))], **run)
        self.assertEqual("1", report.get("finished"), report)
        arguments = fake_engine_log(log) if os.path.exists(log) else []
        return app, report, arguments

    def expect_list(self, arguments, output, switches, tail=()):
        self.assertEqual(FIXED + ["-sOutputFile=" + output] + switches +
                         ["-c", ".setpdfwrite", "-f"], arguments[:-1 - len(tail)])
        temp = arguments[-1 - len(tail)]
        self.assertRegex(temp.rsplit("\\", 1)[-1], r"(?i)^~or[0-9a-f]+\.tmp$")
        self.assertEqual(list(tail), arguments[len(arguments) - len(tail):])

    def test_argument_lists_follow_the_stored_settings(self):
        cases = [
            ("no settings", None, []),
            ("all switches", ALL_SWITCHES,
             ["-dPDFSETTINGS=/ebook", "-sProcessColorModel=DeviceGray", "-dCompressFonts=true",
              "-sOwnerPassword=two words", "-sUserPassword=u", "-dPermissions=3900",
              "-dEncryptionR=3", "-dKeyLength=128"]),
            ("set password false", ALL_SWITCHES + "[option]\nset password=false\n",
             ["-dPDFSETTINGS=/ebook", "-sProcessColorModel=DeviceGray", "-dCompressFonts=true"]),
            ("only the key length",
             "[command]\n-dKeyLength=40\n[option]\nset password=true\n", ["-dKeyLength=40"]),
        ]
        for label, settings, switches in cases:
            with self.subTest(label):
                app, report, arguments = self.arguments(label.replace(" ", "-"), settings)
                self.expect_list(arguments, windows_path(app.file("out.pdf")), switches)
                # The temporary copy of the job is deleted when the process ends.
                self.assertEqual([], os.listdir(app.file("tmp")))

    def test_percent_in_the_name_is_escaped_for_the_engine_only(self):
        app, report, arguments = self.arguments("percent", output_name="50% off.pdf")
        self.assertEqual("-sOutputFile=" + windows_path(app.file("50%% off.pdf")), arguments[6])
        self.assertEqual(windows_path(app.file("50% off.pdf")), report.get("save_as_at_box"),
                         "the field keeps the name as typed")

    def test_document_information_mark_follows_the_job(self):
        job = (b"%!PS-Adobe-3.0\n%%Subject: (money) \\ matters\n%%Keywords: a, b\n"
               b"%%EndComments\nshowpage\n")
        app, report, arguments = self.arguments(
            "docinfo-mark", "[description]\n/CreationDate=2009-06-30T14:05:09-05'00'\n", job)
        self.expect_list(arguments, windows_path(app.file("out.pdf")), [], tail=(
            "-c", "[ /Subject (\\(money\\) \\\\ matters) /Keywords (a, b) "
                  "/CreationDate (D:20090630140509-05'00') /DOCINFO pdfmark"))

    def test_retry_after_the_temporary_file_failure_passes_nothing_twice(self):
        app = AppFolder("retry", engine=FAKE_ENGINE)
        missing = app.file("tmp", "later")
        log = app.file("calls.log")
        with open(app.file("job.ps"), "wb") as f:
            f.write(b"%!PS\nshowpage\n")
        report = app.run(stdin=("file", app.file("job.ps")),
                         texts=[(SAVE_AS, windows_path(app.file("out.pdf")))],
                         clicks=[DO_NOTHING], finish="start", retry_folder=missing,
                         env=[("FAKE_GS_LOG", windows_path(log)),
                              ("TMP", windows_path(missing)), ("TEMP", windows_path(missing))])
        self.assertEqual("1", report.get("retried"))
        self.assertEqual("ORV PDF Creator|Can not create temporary file!",
                         report["messageboxs"][0])
        self.expect_list(fake_engine_log(log), windows_path(app.file("out.pdf")), [])
