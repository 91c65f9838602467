"""The application starts, shows its dialog and ends without converting."""
from harness import AppFolder, AppTestCase, ini_value, windows_path

DO_NOTHING, OPEN, OPEN_FOLDER, EMAIL_TO = 1001, 1002, 1003, 1004


class StartupTest(AppTestCase):
    def test_every_way_of_leaving_ends_the_process_without_a_pdf(self):
        for finish in ("exit", "escape", "close"):
            with self.subTest(finish=finish):
                app = AppFolder("leave-" + finish)
                report = app.run(cmdline="-sOutputFile=hello", finish=finish, timeout=60)
                self.assertEqual("found", report.get("dialog"))
                self.assertEqual("1", report.get("finished"))
                self.assertEqual("0", report.get("exit_code"))
                self.assertEqual([], report["messageboxs"])
                self.assertFalse(any(name.endswith(".pdf") for name in
                                     __import__("os").listdir(app.path)))

    def test_save_as_proposes_the_name_from_the_command_line(self):
        cases = [
            ("-sOutputFile=hello", "hello.pdf"),
            ('"-sOutputFile=Invoice 12"', "Invoice 12.pdf"),
            ("-sOutputFile=report.PDF", "report.PDF.pdf"),
            ("-soutputfile=x.pdf", "out.pdf"),
            ("", "out.pdf"),
        ]
        app = AppFolder("save-as")
        folder = windows_path(app.path)
        for cmdline, name in cases:
            with self.subTest(cmdline=cmdline):
                report = app.run(cmdline=cmdline, finish="exit", timeout=60)
                self.assertEqual(folder + "\\" + name, report.get("save_as"))

    def test_post_action_is_stored_at_each_click_and_restored_at_start(self):
        app = AppFolder("post-action")
        report = app.run(finish="exit", timeout=60)
        self.assertEqual(str(OPEN), report.get("checked"), "default without settings")

        report = app.run(clicks=[EMAIL_TO], finish="exit", timeout=60)
        self.assertEqual(str(EMAIL_TO), report.get("checked_after_clicks"))
        self.assertEqual("email to", ini_value(app.settings_text(), "option", "post action"))

        report = app.run(clicks=[DO_NOTHING, OPEN_FOLDER], finish="exit", timeout=60)
        self.assertEqual(str(EMAIL_TO), report.get("checked"))
        self.assertEqual("open folder", ini_value(app.settings_text(), "option", "post action"))

        app.write_settings("[option]\npost action=Email To\n")
        report = app.run(finish="exit", timeout=60)
        self.assertEqual(str(OPEN), report.get("checked"), "names match case-sensitively")
