"""The web page in headless Chromium. Every expansion's download is compared byte for byte with
what the native program makes of the same synthetic image (-ExpandROM, with -FixChecksum when
the page's check box asks for it), its messages with the native program's lines, the facts and
target verdicts with -Info; the labels are checked against the dialog's, the requests against
the page's own files.
Run by CTest with ROMSPAN_WEB_DIR (the built page), ROMSPAN_PROGRAM (native romspan),
ROMSPAN_MAKE_ROM (make_sample_rom) and ROMSPAN_SOURCE_DIR set."""
import base64
import itertools
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

WEB = Path(os.environ["ROMSPAN_WEB_DIR"])
ROMSPAN = os.environ["ROMSPAN_PROGRAM"]
MAKE_ROM = os.environ["ROMSPAN_MAKE_ROM"]
SOURCE = Path(os.environ["ROMSPAN_SOURCE_DIR"])

# File name (the download keeps it), make_sample_rom's size and kind, size name, and how the
# target is chosen and the file given: "pick" (click, file input), "drop" (click, dropped on the
# page) or "keys" (arrow key from the target above, Tab to Expand, Enter). Each runs without and
# with "Also fix the checksum". The refused targets are chosen before the file disables them.
EXPANSIONS = [
    ("plain.smc", "0x80000 lo-copier", "12", "drop"),
    ("no_effect.sfc", "0x400000 hi", "16", "pick"),
    ("lorom_exhirom.sfc", "0x100000 lo", "48_EXHIROM", "pick"),
    ("hirom_mirrored.sfc", "0x200000 hi", "64_EXHIROM_3", "keys"),
    ("exlorom_1.sfc", "0x300000 lo", "48_EXLOROM_1", "pick"),
    ("exlorom_2.sfc", "0x80000 lo", "64_EXLOROM_2", "pick"),
    ("exlorom_3.smc", "0x100000 lo-copier", "64_EXLOROM_3", "pick"),
    ("sa1.sfc", "0x100000 sa1", "48_EXPCHIP", "pick"),
    ("plain_no_header.smc", "0x80000 none-copier", "8", "pick"),
    ("no_header.sfc", "0x80000 none", "48_EXHIROM", "pick"),
    ("broken_pair.sfc", "0x80000 hi-broken", "12", "pick"),
    ("hirom_exlorom.sfc", "0x100000 hi", "48_EXLOROM_1", "pick"),
]
SCREENSHOT_AFTER = "lorom_exhirom.sfc"
# The facts the page's table shows, in its order, when -Info lists them.
SHOWN_FACTS = ["Title", "Map mode", "File size", "ROM data size", "ROM size", "Copier header",
               "Header position", "Header found by", "Checksum"]


class RecordingHandler(SimpleHTTPRequestHandler):
    requested = []

    def __init__(self, *arguments, **options):
        super().__init__(*arguments, directory=str(WEB), **options)

    def log_message(self, *arguments):
        RecordingHandler.requested.append(self.path)


def wait_for(condition, what, seconds=10):
    deadline = time.monotonic() + seconds
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.02)
    return result


def run_native(path, size_name, fix):
    """Whether the command line succeeded, and the notifications it printed, as the page shows
    them."""
    command = [ROMSPAN, "-ExpandROM", str(path), size_name] + ["-FixChecksum"][:fix]
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    return run.returncode == 0, [line.replace(" : ", " ", 1) for line in run.stdout.splitlines()
                                 if " : " in line and not line.startswith(("ROM file: ", "Size: "))]


class PageTest(unittest.TestCase):
    def setUp(self):
        self.work = Path(tempfile.mkdtemp(prefix="romspan-web-"))
        self.downloads = self.work / "downloads"
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--window-size=1000,1200"):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"download.default_directory":
                                                  str(self.downloads)})
        self.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                        options=options)
        self.load((WEB / "index.html").as_uri())

    def tearDown(self):
        self.browser.quit()
        shutil.rmtree(self.work)

    def load(self, url):
        self.browser.get(url)
        wait_for(lambda: self.run_js("return typeof engine === 'object' && engine !== null"),
                 "the engine to load")

    def run_js(self, script, *arguments):
        return self.browser.execute_script(script, *arguments)

    def element(self, css):
        return self.browser.find_element(By.CSS_SELECTOR, css)

    def make_rom(self, name, arguments):
        path = self.work / "source" / name
        path.parent.mkdir(exist_ok=True)
        subprocess.run([MAKE_ROM, str(path), *arguments.split()], check=True)
        return path

    def give_file(self, path, how):
        if how == "drop":
            self.run_js("""
                const bytes = Uint8Array.from(atob(arguments[1]), c => c.charCodeAt(0));
                const dropped = new DataTransfer();
                dropped.items.add(new File([bytes], arguments[0]));
                document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: dropped,
                                                                   bubbles: true}));""",
                        path.name, base64.b64encode(path.read_bytes()).decode())
        else:
            self.element("#rom-file").send_keys(str(path))
        wait_for(lambda: self.element("#expand").is_enabled(), "the file to be read")

    def choose(self, size_name, how):
        target = self.element(f"input[name=target][value='{size_name}']")
        if how != "keys":
            target.click()
            return
        above = self.run_js("return arguments[0].closest('label').previousElementSibling"
                            ".querySelector('input')", target)
        above.click()
        above.send_keys(Keys.ARROW_DOWN)
        self.assertTrue(target.is_selected())

    def expand(self, size_name, how):
        if how == "keys":
            self.element(f"input[name=target][value='{size_name}']").send_keys(Keys.TAB)
            self.browser.switch_to.active_element.send_keys(Keys.TAB)
            self.assertEqual(self.browser.switch_to.active_element.get_attribute("id"), "expand")
            self.browser.switch_to.active_element.send_keys(Keys.ENTER)
        else:
            self.element("#expand").click()
        return [line.text for line in self.browser.find_elements(By.CSS_SELECTOR, "#status p")]

    def take_download(self, name):
        self.element("#download").click()
        path = self.downloads / name
        wait_for(lambda: path.exists() and not list(self.downloads.glob("*.crdownload")),
                 "the download of " + name)
        content = path.read_bytes()
        path.unlink()
        return content

    def test_expansions_and_facts_match_the_command_line(self):
        for (name, arguments, size_name, how), fix in itertools.product(EXPANSIONS,
                                                                       (False, True)):
            with self.subTest(name=name, size=size_name, fix=fix):
                source = self.make_rom(name, arguments)
                native = self.work / "native" / name
                native.parent.mkdir(exist_ok=True)
                shutil.copy(source, native)
                succeeded, native_notes = run_native(native, size_name, fix)

                self.load((WEB / "index.html").as_uri())
                if self.element("#fix-checksum").is_selected() != fix:
                    self.element("#fix-checksum").click()
                self.choose(size_name, how)
                self.give_file(source, how)
                info = subprocess.run([ROMSPAN, "-Info", str(source)], capture_output=True,
                                      text=True, check=True).stdout
                facts = dict(line.split(": ", 1) for line in info.splitlines())
                self.assertEqual(self.run_js("""return [...document.querySelectorAll(
                    '#rom-facts tr')].map(row => [...row.cells].map(cell => cell.textContent))"""),
                                 [[fact, facts[fact]] for fact in SHOWN_FACTS if fact in facts])
                targets = self.run_js("""return [...document.querySelectorAll(
                    'input[name=target]')].map(radio => [radio.value, radio.disabled,
                    radio.closest('label').querySelector('.verdict')?.textContent ?? 'expands'])""")
                self.assertEqual(targets, [[size, facts["Target " + size].startswith("refused"),
                                            facts["Target " + size]] for size, _, _ in targets])
                self.assertEqual(self.expand(size_name, how), native_notes)
                self.assertEqual(self.element("#status").get_attribute("class"),
                                 "succeeded" if succeeded else "failed")
                # Neither the ROM nor a working copy of the job stays in the page's memory.
                self.assertEqual(self.run_js("return engine.FS.readdir('/rom/')"), [".", ".."])
                if succeeded:
                    self.assertEqual(self.take_download(name), native.read_bytes())
                else:
                    self.assertFalse(self.element("#download").is_displayed())
                if name == SCREENSHOT_AFTER and not fix:
                    size = self.browser.execute_cdp_cmd("Page.getLayoutMetrics",
                                                        {})["cssContentSize"]
                    shot = self.browser.execute_cdp_cmd("Page.captureScreenshot", {
                        "captureBeyondViewport": True, "clip": {**size, "scale": 1}})
                    (SOURCE / "docs" / "web-page.png").write_bytes(base64.b64decode(shot["data"]))

        # The copier header buttons: the command line's -RemoveHeader and -AddHeader, download
        # and words alike, a no effect included.
        for name, arguments, command in [("headed.smc", "0x80000 lo-copier", "-RemoveHeader"),
                                         ("bare.sfc", "0x80000 lo", "-AddHeader"),
                                         ("bare.smc", "0x80000 lo", "-RemoveHeader")]:
            with self.subTest(name=name, command=command):
                source = self.make_rom(name, arguments)
                native = self.work / "native" / name
                shutil.copy(source, native)
                run = subprocess.run([ROMSPAN, command, str(native)], capture_output=True,
                                     text=True, check=True)
                self.load((WEB / "index.html").as_uri())
                self.give_file(source, "pick")
                self.element("#" + command[1:].replace("H", "-h").lower()).click()
                self.assertEqual([line.text for line in self.browser.find_elements(
                    By.CSS_SELECTOR, "#status p")], [line.replace(" : ", " ", 1) for line in
                                                       run.stdout.splitlines()[1:]])
                self.assertEqual(self.take_download(name), native.read_bytes())

        # The page fits a phone, the longest refusal reasons and the facts table included.
        self.browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 360, "height": 740, "deviceScaleFactor": 2, "mobile": True})
        self.assertLessEqual(self.run_js("return document.documentElement.scrollWidth"), 360)

    def test_labels_are_the_dialogs(self):
        # Served over HTTP this time, where the server sees every request the page makes.
        server = ThreadingHTTPServer(("127.0.0.1", 0), RecordingHandler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.load(f"http://127.0.0.1:{server.server_port}/")
        rc = (SOURCE / "resources" / "romspan.rc").read_text(encoding="utf-8")
        captions = [caption.strip() for caption in
                    re.findall(r'CONTROL "([^"]*)", \w+, "Button", BS_AUTORADIOBUTTON', rc)]
        statics = dict((name, text) for text, name in
                       re.findall(r'CONTROL "([^"]*)",\s*(\w+), "Static"', rc))
        help_text = subprocess.run([ROMSPAN, "--help"], capture_output=True, text=True).stdout
        size_names = re.findall(r"^  (\S+) ", help_text, re.MULTILINE)[:22]
        self.assertEqual(len(captions), 22)
        self.assertEqual(self.run_js("""return [...document.querySelectorAll('input[name=target]')]
            .map(radio => [radio.value, radio.closest('label').textContent.trim()])"""),
                         [list(pair) for pair in zip(size_names, captions)])
        self.assertEqual(self.run_js("return document.querySelector(':checked').value"),
                         "48_EXHIROM")
        self.assertEqual([note.get_attribute("textContent") for note in
                          self.browser.find_elements(By.CSS_SELECTOR, ".note")],
                         [statics["IDC_NOTE_LOW_MAP"], statics["IDC_NOTE_HIGH_MAP"],
                          statics["IDC_NOTE_MIRROR"]])
        self.assertIn(statics["IDC_BACKUP_REMINDER"], self.element(".backup").text)

        # Every control has a name a screen reader can say.
        tree = self.browser.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
        controls = [node for node in tree if node.get("role", {}).get("value") in
                    ("radio", "checkbox", "button")]
        # targets, check box, the three jobs' buttons and the file
        self.assertEqual(len(controls), 22 + 1 + 3 + 1)
        self.assertTrue(all(node.get("name", {}).get("value") for node in controls))
        # "Also fix the checksum" is remembered across visits.
        for wanted in (True, False):
            self.element("#fix-checksum").click()
            self.browser.refresh()
            self.assertEqual(self.element("#fix-checksum").is_selected(), wanted)
        server.shutdown()
        self.assertEqual(sorted(set(RecordingHandler.requested)),
                         ["/", "/page.css", "/page.js", "/romspan.js"])
        # The folder a host copies holds the page's four files and nothing else.
        self.assertEqual(sorted(os.listdir(WEB)),
                         ["index.html", "page.css", "page.js", "romspan.js"])


if __name__ == "__main__":
    unittest.main()
