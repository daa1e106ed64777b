"""The web page in headless Chromium. Every expansion's download is compared byte for byte with
what the native program makes of the same synthetic image, and its messages with the native
program's lines; the page's labels are checked against the dialog's, its requests against its
own files.
Run by CTest with ROMSPAN_WEB_DIR (the built page), ROMSPAN_PROGRAM (native romspan),
ROMSPAN_MAKE_ROM (make_sample_rom) and ROMSPAN_SOURCE_DIR set."""
import base64
import json
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
PAGE_FILES = {"index.html", "page.css", "page.js", "romspan.js"}

# File name (the download keeps it), make_sample_rom's size and kind, size name, how the file is
# given and the target chosen: "pick" (file input, click), "drop" (dropped on the page) or
# "keys" (arrow keys from the target above it, Tab to Expand, Enter).
EXPANSIONS = [
    ("plain.smc", "0x80000 lo-copier", "12", "drop"),
    ("no_effect.sfc", "0x400000 hi", "16", "pick"),
    ("lorom_exhirom.sfc", "0x100000 lo", "48_EXHIROM", "pick"),
    ("hirom_mirrored.sfc", "0x200000 hi", "64_EXHIROM_3", "keys"),
    ("exlorom_1.sfc", "0x300000 lo", "48_EXLOROM_1", "pick"),
    ("exlorom_2.sfc", "0x80000 lo", "64_EXLOROM_2", "pick"),
    ("exlorom_3.smc", "0x100000 lo-copier", "64_EXLOROM_3", "pick"),
    ("sa1.sfc", "0x100000 sa1", "48_EXPCHIP", "pick"),
    ("no_header.sfc", "0x80000 none", "48_EXHIROM", "pick"),
    ("hirom_exlorom.sfc", "0x100000 hi", "48_EXLOROM_1", "pick"),
]
SCREENSHOT_AFTER = "lorom_exhirom.sfc"


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


def run_native(path, size_name):
    """The notifications the command line prints for this job, as the page shows them."""
    run = subprocess.run([ROMSPAN, "-ExpandROM", str(path), size_name], capture_output=True,
                         text=True, check=False)
    notes = [line.replace(" : ", " ", 1) for line in run.stdout.splitlines()
             if " : " in line and not line.startswith(("ROM file: ", "Size: "))]
    return run.returncode == 0, notes


class PageTest(unittest.TestCase):
    def setUp(self):
        self.work = Path(tempfile.mkdtemp(prefix="romspan-web-"))
        self.downloads = self.work / "downloads"
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--window-size=900,1200"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
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

    def expand(self, size_name, how):
        target = self.element(f"input[name=target][value='{size_name}']")
        if how == "keys":
            previous = self.run_js("return arguments[0].closest('label').previousElementSibling"
                                   ".querySelector('input')", target)
            previous.click()
            previous.send_keys(Keys.ARROW_DOWN)
            self.assertTrue(target.is_selected())
            active = self.browser.switch_to.active_element
            active.send_keys(Keys.TAB)
            self.browser.switch_to.active_element.send_keys(Keys.TAB)
            self.assertEqual(self.browser.switch_to.active_element.get_attribute("id"), "expand")
            self.browser.switch_to.active_element.send_keys(Keys.ENTER)
        else:
            target.click()
            self.element("#expand").click()
        return [line.text for line in self.browser.find_elements(By.CSS_SELECTOR, "#status p")]

    def take_download(self, name):
        self.element("#download").click()
        path = self.downloads / name
        wait_for(lambda: path.exists() and not list(self.downloads.glob("*.crdownload")),
                 "the download of " + name)
        return path.read_bytes()

    def test_expansions_match_the_command_line(self):
        for name, arguments, size_name, how in EXPANSIONS:
            with self.subTest(name=name, size=size_name):
                source = self.make_rom(name, arguments)
                native = self.work / "native" / name
                native.parent.mkdir(exist_ok=True)
                shutil.copy(source, native)
                succeeded, native_notes = run_native(native, size_name)

                self.give_file(source, how)
                self.assertEqual(self.expand(size_name, how), native_notes)
                self.assertEqual(self.element("#status").get_attribute("class"),
                                 "succeeded" if succeeded else "failed")
                # Neither the ROM nor a working copy of the job stays in the page's memory.
                self.assertEqual(self.run_js("return engine.FS.readdir('/rom/')"), [".", ".."])
                if succeeded:
                    self.assertEqual(self.take_download(name), native.read_bytes())
                else:
                    self.assertFalse(self.element("#download").is_displayed())
                if name == SCREENSHOT_AFTER:
                    height = self.run_js("return document.documentElement.scrollHeight")
                    self.browser.set_window_size(900, height + 40)
                    self.browser.save_screenshot(str(SOURCE / "docs" / "web-page.png"))

        # The page asked for nothing but its own files and the module embedded in romspan.js.
        for entry in self.browser.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] != "Network.requestWillBeSent":
                continue
            url = message["params"]["request"]["url"]
            if url.startswith(("data:application/octet-stream;base64,", "blob:")):
                continue
            self.assertTrue(url.startswith(WEB.as_uri() + "/"), url)
            self.assertIn(url.rsplit("/", 1)[1], PAGE_FILES)

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

        # Every control has a name a screen reader can say, and the page fits a phone.
        tree = self.browser.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
        controls = [node for node in tree if node.get("role", {}).get("value") in
                    ("radio", "checkbox", "button")]
        self.assertEqual(len(controls), 22 + 1 + 2)  # targets, check box, Expand and file
        self.assertTrue(all(node.get("name", {}).get("value") for node in controls))
        self.browser.set_window_size(360, 740)
        self.assertLessEqual(self.run_js("return document.documentElement.scrollWidth"),
                             self.run_js("return window.innerWidth"))
        server.shutdown()
        self.assertEqual(sorted(set(RecordingHandler.requested)),
                         ["/", "/page.css", "/page.js", "/romspan.js"])

    def test_check_box_is_remembered(self):
        box = self.element("#fix-checksum")
        self.assertFalse(box.is_selected())
        for wanted in (True, False):
            box.click()
            self.browser.refresh()
            box = self.element("#fix-checksum")
            self.assertEqual(box.is_selected(), wanted)


if __name__ == "__main__":
    unittest.main()
